#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

// A temporary folder that is also the current directory while it lives, since the program works in
// its current folder. Restores the previous directory when destroyed.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    QString path() const { return dir_.path(); }
    // Path of `relative` inside the folder.
    QString file(const QString& relative) const;
    // Creates parent folders as needed.
    void write(const QString& relative, const QByteArray& bytes) const;
    // A sparse file of `size` bytes: a "video" that costs no disk.
    void sparse(const QString& relative, int64_t size) const;
    void mkdir(const QString& relative) const;
    QByteArray read(const QString& relative) const;

private:
    QTemporaryDir dir_;
    QString previous_;
};

// UTF-16 LE bytes of `text`, with the byte-order mark FF FE first when `bom` is set.
QByteArray Utf16Le(const QString& text, bool bom = true);
