// Build-time tool: encodes the readable built-in texts into the stored form the program carries.
//
//   encode_texts OUTPUT.cpp NAME MODE FILE [NAME MODE FILE ...]
//
// MODE "text": decoded with DecodeText; characters above U+00FF become character references.
// MODE "wide-crlf": decoded with DecodeWideText; every line, the last one included, ends with "\r\n"
// (the text heads a file that Windows-style editors and the folder-list reader both accept).
// Files are UTF-8. Trailing line breaks are dropped in "text" mode, so an address stays one line.
// An empty file is stored as one zero unit, which decodes to an empty text.
#include "pages/text_codec.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QString>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool Fail(const QString& message) {
    std::fprintf(stderr, "encode_texts: %s\n", qUtf8Printable(message));
    return false;
}

bool ReadText(const QString& path, QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(u"cannot read "_s + path);
    const QByteArray bytes = file.readAll();
    text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        return Fail(path + u" is not valid UTF-8"_s);
    if (text.contains(QChar(0)))
        return Fail(path + u" holds a NUL character, which cannot be stored"_s);
    return true;
}

QString WithCrlfLines(QString text) {
    text.replace(u"\r\n"_s, u"\n"_s);
    while (text.endsWith(u'\n'))
        text.chop(1);
    if (text.isEmpty())
        return text;
    return text.replace(u'\n', u"\r\n"_s) + u"\r\n"_s;
}

QByteArray StoredForm(const QString& name, const QString& mode, const QString& path, bool& ok) {
    QString text;
    ok = ReadText(path, text);
    if (!ok)
        return {};
    QByteArray stored;
    if (mode == u"wide-crlf") {
        stored = EncodeWideText(WithCrlfLines(text));
    } else if (mode == u"text") {
        while (text.endsWith(u'\n') || text.endsWith(u'\r'))
            text.chop(1);
        if (!path.endsWith(u".html"_s) && ReferenceWideCharacters(text) != text)
            std::fprintf(stderr,
                         "encode_texts: warning: %s holds characters above U+00FF; they are stored as "
                         "character references\n",
                         qUtf8Printable(path));
        stored = EncodeText(text);
    } else {
        ok = Fail(u"unknown mode "_s + mode + u" for "_s + name);
        return {};
    }
    if (stored.isEmpty()) {
        std::fprintf(stderr, "encode_texts: warning: %s is empty\n", qUtf8Printable(path));
        stored = ":::";
    }
    return stored;
}

QByteArray Definition(const QString& name, const QByteArray& stored) {
    QByteArray out = "const char " + name.toUtf8() + "[] =";
    constexpr qsizetype lineLength = 96;
    for (qsizetype i = 0; i < stored.size(); i += lineLength) {
        QByteArray piece = stored.mid(i, lineLength);
        piece.replace('\\', "\\\\"); // the only stored digit that needs escaping in a literal
        out += "\n    \"" + piece + '"';
    }
    return out + ";\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (argc - 2) % 3 != 0) {
        Fail(u"usage: encode_texts OUTPUT.cpp NAME MODE FILE [NAME MODE FILE ...]"_s);
        return 2;
    }
    QByteArray source = "// Generated at build time by pages/tools/encode_texts from pages/texts/. Do not edit.\n"
                        "#include \"pages/builtin_texts.h\"\n";
    for (int i = 2; i < argc; i += 3) {
        const QString name = QString::fromUtf8(argv[i]);
        if (!QRegularExpression(u"^[A-Za-z_][A-Za-z0-9_]*$"_s).match(name).hasMatch()) {
            Fail(u"bad name "_s + name);
            return 2;
        }
        bool ok = false;
        const QByteArray stored =
            StoredForm(name, QString::fromUtf8(argv[i + 1]), QString::fromLocal8Bit(argv[i + 2]), ok);
        if (!ok)
            return 1;
        source += '\n' + Definition(name, stored);
    }
    // Leave an unchanged file alone so the core is not recompiled for nothing.
    const QString output = QString::fromLocal8Bit(argv[1]);
    QFile existing(output);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == source)
        return 0;
    existing.close();
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(source) != source.size() || !file.commit()) {
        Fail(u"cannot write "_s + output);
        return 1;
    }
    return 0;
}
