#include "tests/fuzz/fuzz_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstdlib>

const QString& FuzzFolder() {
    static const QString path = [] {
        // Image plugins are found through the application object; one is made here when the host did not.
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "fuzz";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
        // Every corrupt picture would print the decoder's complaint; they only slow the run.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
        static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/reelboard-fuzz-XXXXXX"));
        if (!dir.isValid() || !QDir::setCurrent(dir.path()))
            std::abort();
        return dir.path();
    }();
    return path;
}

QString FuzzText(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QByteArray FuzzBytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

void WriteFuzzFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort(); // the temporary folder is ours: failing here is a broken setup, not a finding
}
