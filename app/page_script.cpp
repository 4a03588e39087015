#include "app/page_script.h"

#include "pages/wall_controls.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

using namespace Qt::StringLiterals;

namespace {

const QString PageScript = uR"JS(
(function () {
  "use strict";
  function send(command, arg) {
    if (window.external && window.external.ExtCommand) window.external.ExtCommand(command, arg || "");
  }
  function onWall() { return /\/menu\.html$/.test(location.pathname); }
  function typing(target) {
    if (!target || !target.tagName) return false;
    var tag = target.tagName.toLowerCase();
    return tag === "input" || tag === "textarea" || tag === "select" || target.isContentEditable;
  }
  window.addEventListener("keydown", function (e) {
    var plain = !e.ctrlKey && !e.altKey && !e.metaKey;
    var back = (plain && e.key === "Escape") || (plain && e.key === "Backspace" && !typing(e.target)) ||
               (e.altKey && !e.ctrlKey && e.key === "ArrowLeft");
    if (e.key === "F5" && !e.altKey) { e.preventDefault(); send(%1); }
    else if (e.ctrlKey && !e.altKey && (e.key === "q" || e.key === "Q")) { e.preventDefault(); send(%2); }
    else if (e.ctrlKey && !e.altKey && (e.key === "f" || e.key === "F")) {
      var box = document.getElementById("q");
      if (box) { e.preventDefault(); box.focus(); box.select(); }
    } else if (back) {
      e.preventDefault();
      // A picture shown large closes first, then a facet is left, then the page.
      var large = document.querySelector(".viewer.open");
      if (large) large.classList.remove("open");
      else if (document.querySelector("#tools[data-facet]")) send(%3, "");
      else if (!onWall()) send(3, "");
    }
  }, true);

  // The item of a movie is known by its detail link, which names the movie's path.
  function keyOf(item) {
    var link = item.querySelector("a");
    return link ? link.getAttribute("onclick") : null;
  }
  var waiting = [];
  function replace(items) {
    var fresh = document.createElement("template");
    fresh.innerHTML = items.join("");
    var byKey = new Map();
    fresh.content.querySelectorAll(".d").forEach(function (item) { byKey.set(keyOf(item), item); });
    document.querySelectorAll(".d").forEach(function (item) {
      var next = byKey.get(keyOf(item));
      // The contents, not the item: an item off screen keeps the size it was last drawn with, so the
      // rows above the view do not change height and the view does not move.
      if (next) item.replaceChildren.apply(item, Array.from(document.importNode(next, true).childNodes));
    });
  }
  // Items of a large wall that are not in place yet are replaced once they are.
  function whenPlaced(then) {
    if (window.AfterPlaced) window.AfterPlaced(then);
    else then();
  }
  window.ReelboardReplaceItems = function (items) {
    if (document.readyState === "loading") { waiting = waiting.concat(items); return; }
    whenPlaced(function () { replace(items); });
  };
  document.addEventListener("DOMContentLoaded", function () {
    var items = waiting;
    waiting = [];
    if (items.length) whenPlaced(function () { replace(items); });
  });
})();
)JS"_s;

} // namespace

void InstallPageScript(QWebEnginePage* page) {
    QWebEngineScript script;
    script.setName(u"reelboard-page"_s);
    script.setSourceCode(PageScript.arg(RefreshCommand).arg(CloseCommand).arg(FacetCommand));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    page->scripts().insert(script);
}
