// Runs a fuzz target once on every file named on the command line or found in the folders named
// there: the seed corpus and the kept findings, replayed by the ordinary test run.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QFile::decodeName(argv[i]);
        const QFileInfo info(path);
        if (info.isDir()) {
            QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << QFileInfo(it.next()).absoluteFilePath();
        } else if (info.isFile()) {
            files << info.absoluteFilePath(); // the targets change the current directory
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 2;
        }
    }
    files.sort(); // a stable order, so a failure names the same input each time
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 2;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "%s\n", qPrintable(path));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    }
    std::fprintf(stderr, "%lld inputs replayed\n", static_cast<long long>(files.size()));
    // An empty run guards nothing: a wrong path must not pass quietly.
    return files.isEmpty() ? 1 : 0;
}
