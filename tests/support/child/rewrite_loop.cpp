// Rewrites the files Reelboard replaces in place, over and over, alternating between two known
// versions, until it is killed. The crash-safety test kills it at random moments and then checks that
// each file holds exactly one of the versions.
//
// Usage: rewrite_loop FOLDER
// FOLDER already holds the two source pictures and the "films" folder; the versions of every file
// come from rewrite_versions.h, which the test uses as well.
#include "library/atomic_file.h"
#include "library/thumbnail.h"
#include "pages/page_file.h"
#include "pipeline/fallback.h"
#include "tests/support/child/rewrite_versions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2 || !QDir::setCurrent(QFile::decodeName(argv[1]))) {
        std::fputs("usage: rewrite_loop FOLDER\n", stderr);
        return 2;
    }
    QByteArray pictures[2];
    for (int version = 0; version < 2; ++version) {
        QFile source(RewriteSourcePicture(version));
        if (!source.open(QIODevice::ReadOnly)) {
            std::fputs("source picture missing\n", stderr);
            return 2;
        }
        pictures[version] = source.readAll();
    }
    // The parent waits for this line, so that a kill never lands before the first write.
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (int round = 0;; ++round) {
        const int version = round % 2;
        for (int movie = 0; movie < RewriteMovieCount; ++movie) {
            MovieRecord record = RewriteMovie(movie, version);
            WriteMovieXml(record);
        }
        ReplaceFolderList(u"dirs.txt"_s, RewriteFolderList(version));
        WritePage(RewritePageName, RewritePage(version));
        // A poster download replaces the picture; its thumbnail is only ever made when missing, so
        // each round deletes it and makes it anew from the other picture.
        WriteFileAtomically(RewritePicture, pictures[version]);
        QFile::remove(RewriteThumbnail);
        const QString made = MakeThumbnail(RewritePicture);
        if (made != RewriteThumbnail) {
            std::fputs("thumbnail path differs\n", stderr);
            return 3;
        }
    }
}
