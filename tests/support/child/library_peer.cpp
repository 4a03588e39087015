// One Reelboard over a shared library, without a window: it looks the movies up again and again
// (as the retry service does) on one thread while another edits them through the edit form's
// command, as a user on another computer would. The web comes from the parent through http_proxy.
//
// Usage: library_peer LIBRARY FIELD TAG [once]
// Works in the current folder. Every edit sets FIELD ("Notes" or "watched") of a movie to TAG, a
// blank and a sequence number, and is printed as "MOVIE SEQUENCE" once it has returned, so the
// parent knows which edits were saved before it killed the process. The numbers go on from the
// highest one the files hold. With "once" each movie is looked up once and edited once, then the
// process ends; otherwise it runs until killed.
#include "library/folder_scan.h"
#include "pages/edit.h"
#include "pipeline/build_thread.h"
#include "pipeline/stages.h"

#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// As the edit form sends it: a last grave accent keeps empty notes a field of their own.
QString EditArgument(const MovieRecord& m) {
    return QStringList{m.FilePath, m.Title,  m.OriginalTitle, m.CountryOfOrigin, m.ProductionYear,
                       m.Rating,   m.Genres, m.watched,       m.Overview,        m.Notes}
               .join(u'`') +
           u'`';
}

int SequenceIn(const QString& value, const QString& tag) {
    return value.startsWith(tag + u' ') ? value.mid(tag.size() + 1).toInt() : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: library_peer LIBRARY FIELD TAG [once]\n", stderr);
        return 2;
    }
    const QString field = QString::fromUtf8(argv[2]);
    const QString tag = QString::fromUtf8(argv[3]);
    const bool once = argc > 4 && QByteArray(argv[4]) == "once";
    QString MovieRecord::*edited = field == u"watched" ? &MovieRecord::watched : &MovieRecord::Notes;

    MovieLibrary library;
    ScanFolder(library, QFile::decodeName(argv[1]));
    CollateFolders(library);
    int sequence = 0;
    for (const MovieRecord& movie : library.Movies)
        sequence = std::max(sequence, SequenceIn(movie.*edited, tag));
    std::fputs("ready\n", stdout);
    std::fflush(stdout);

    std::atomic<bool> editsDone{false};
    std::thread lookups([&] {
        do {
            for (MovieRecord& movie : library.Movies) {
                {
                    std::lock_guard lock(library.QueueMutex);
                    library.RetryQueue.push_back(&movie);
                }
                ServeOneRetry(library);
            }
        } while (!once || !editsDone);
    });
    for (bool first = true; first || !once; first = false) {
        for (size_t i = 0; i < library.Movies.size(); ++i) {
            MovieRecord shown;
            {
                std::lock_guard lock(library.RecordsMutex);
                shown = library.Movies[i];
            }
            NoteEditFormShown(library, shown);
            shown.*edited = tag + u' ' + QString::number(++sequence);
            if (EditMovieInfo(library, EditArgument(shown)).isEmpty()) {
                std::fputs("an edit was refused\n", stderr);
                std::_Exit(3);
            }
            std::printf("%zu %d\n", i, sequence);
            std::fflush(stdout);
        }
    }
    editsDone = true;
    lookups.join();
    return 0;
}
