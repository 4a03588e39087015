#pragma once

#include "web/html_document.h"

#include <QString>
#include <QStringList>

// A site's stand-in picture: the one a lazy page shows until the real one loads, or a page without a
// picture of its own shows.
bool IsPlaceholderPicture(const QString& address);

// The address an img element shows, resolved against the page: its src, or the data-src a lazy page
// fills it from when src is missing or a placeholder; empty when neither is a web address.
QString PictureAddress(const HtmlDocument& doc, int img, const QString& pageUrl);

// The addresses of the img elements in the subtree of `root`, in page order, at most `limit`.
QStringList PicturesIn(const HtmlDocument& doc, int root, const QString& pageUrl, int limit);
