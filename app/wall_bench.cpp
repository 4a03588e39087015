#include "app/wall_bench.h"

#include "app/main_frame.h"
#include "app/process_memory.h"
#include "app/wall_view.h"
#include "pages/wall_controls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Runs in the wall page from its creation. The posters in view are found by bisection over the
// images, which follow the page's order; a poster counts once its picture has arrived (a picture the
// page holds back until it comes near the view is missing until then).
const char* const ProbeScript = R"(
(function(){
  if (!/menu\.html$/.test(location.pathname)) return;
  var bench = window.__wallBench = {first: -1, placed: -1, done: false};
  // The wall is whole once its later items, if any, are in place.
  var whenPlaced = function(then){ (window.AfterPlaced || function(f){ f(); })(then); };
  document.addEventListener('DOMContentLoaded', function(){ whenPlaced(function(){ bench.placed = Math.round(performance.now()); }); });
  function inView(){
    var images = document.images, lo = 0, hi = images.length, list = [];
    while (lo < hi) { var mid = (lo + hi) >> 1; if (images[mid].getBoundingClientRect().bottom <= 0) lo = mid + 1; else hi = mid; }
    for (var i = lo; i < images.length; i++) {
      var box = images[i].getBoundingClientRect();
      if (box.top >= innerHeight) break;
      if (images[i].getAttribute('src') || images[i].getAttribute('data-src')) list.push(images[i]);
    }
    return list;
  }
  function missing(list){
    var count = 0;
    for (var i = 0; i < list.length; i++)
      if (!list[i].getAttribute('src') || !(list[i].complete && list[i].naturalWidth > 0)) count++;
    return count;
  }
  var firstTimer = setInterval(function(){
    var list = inView();
    if (list.length && !missing(list)) { bench.first = Math.round(performance.now()); clearInterval(firstTimer); }
  }, 10);
  function settle(then){
    var start = performance.now();
    var timer = setInterval(function(){
      var list = inView(), left = missing(list), spent = performance.now() - start;
      if ((list.length && !left) || spent > 20000) { clearInterval(timer); then(Math.round(spent), list.length ? left : -1); }
    }, 10);
  }
  bench.scroll = function(){ whenPlaced(function(){
    scrollTo(0, document.documentElement.scrollHeight);
    settle(function(endMs, endMissing){
      bench.endMs = endMs; bench.endMissing = endMissing;
      scrollTo(0, 0);
      settle(function(topMs, topMissing){ bench.topMs = topMs; bench.topMissing = topMissing; bench.done = true; });
    });
  }); };
})();
)";

// Asks the page for its probe's state every 50 ms until `ready` holds (or 30 s have passed).
void PollProbe(CMainFrame* frame, std::function<bool(const QJsonObject&)> ready,
               std::function<void(const QJsonObject&)> then, int triesLeft = 600) {
    frame->View()->page()->runJavaScript(u"JSON.stringify(window.__wallBench||{})"_s, [=](const QVariant& result) {
        const QJsonObject state = QJsonDocument::fromJson(result.toString().toUtf8()).object();
        if (ready(state) || triesLeft <= 0)
            return then(state);
        QTimer::singleShot(50, frame, [=] { PollProbe(frame, ready, then, triesLeft - 1); });
    });
}

double PssMb() {
    return ProcessTreeMemory(QCoreApplication::applicationPid()).pssKb / 1024.0;
}

// Switches the wall to another order, as a click in its head does, and hands `then` the milliseconds
// from the click until the first posters of the new page are in view.
void MeasureSortSwitch(CMainFrame* frame, std::function<void(qint64)> then) {
    auto clock = std::make_shared<QElapsedTimer>();
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(
        frame->View()->page(), &QWebEnginePage::loadingChanged, frame,
        [frame, connection, clock, then](const QWebEngineLoadingInfo& info) {
            if (info.url().fileName() != u"menu.html"_s || info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                return;
            QObject::disconnect(*connection);
            PollProbe(
                frame, [](const QJsonObject& state) { return state.value(u"first"_s).toInt(-1) >= 0; },
                [clock, then](const QJsonObject&) { then(clock->elapsed()); });
        });
    clock->start();
    frame->View()->ExtCommand(SortCommand, u"year-desc"_s);
}

} // namespace

void ReportWallBenchmark(CMainFrame* frame) {
    QWebEngineScript probe;
    probe.setName(u"wall-bench"_s);
    probe.setSourceCode(QString::fromUtf8(ProbeScript));
    probe.setInjectionPoint(QWebEngineScript::DocumentCreation);
    probe.setWorldId(QWebEngineScript::MainWorld);
    frame->View()->page()->scripts().insert(probe);

    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(
        frame->View()->page(), &QWebEnginePage::loadingChanged, frame,
        [frame, connection](const QWebEngineLoadingInfo& info) {
            if (info.url().fileName() != u"menu.html"_s || info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                return;
            QObject::disconnect(*connection);
            const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
            const qint64 loadMs = frame->View()->SinceNavigation();
            const qint64 readyMs = frame->View()->SinceReady();
            PollProbe(
                frame, [](const QJsonObject& state) { return state.value(u"first"_s).toInt(-1) >= 0; },
                [=](const QJsonObject& first) {
                    // A moment for the renderer to settle before its memory is read.
                    QTimer::singleShot(500, frame, [=] {
                        const ProcessMemory memory = ProcessTreeMemory(QCoreApplication::applicationPid());
                        frame->View()->page()->runJavaScript(u"window.__wallBench&&window.__wallBench.scroll()"_s);
                        PollProbe(
                            frame, [](const QJsonObject& state) { return state.value(u"done"_s).toBool(); },
                            [=](const QJsonObject& scrolled) {
                                const double pssAfterScroll = PssMb();
                                MeasureSortSwitch(frame, [=](qint64 sortMs) {
                                    std::printf(
                                        "wall_loaded=%d load_ms=%lld first_posters_ms=%d placed_ms=%d "
                                        "ready_to_loaded_ms=%lld "
                                        "processes=%d rss_mb=%.1f pss_mb=%.1f scroll_end_ms=%d end_missing=%d "
                                        "scroll_top_ms=%d top_missing=%d pss_after_scroll_mb=%.1f "
                                        "sort_first_posters_ms=%lld\n",
                                        ok ? 1 : 0, static_cast<long long>(loadMs), first.value(u"first"_s).toInt(-1),
                                        scrolled.value(u"placed"_s).toInt(-1), static_cast<long long>(readyMs),
                                        memory.processes, memory.rssKb / 1024.0, memory.pssKb / 1024.0,
                                        scrolled.value(u"endMs"_s).toInt(-1), scrolled.value(u"endMissing"_s).toInt(-1),
                                        scrolled.value(u"topMs"_s).toInt(-1), scrolled.value(u"topMissing"_s).toInt(-1),
                                        pssAfterScroll, static_cast<long long>(sortMs));
                                    std::fflush(stdout);
                                    frame->close();
                                });
                            });
                    });
                });
        });
}
