#include "library/folder_scan.h"
#include "library/network_share.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Puts a fake `gio` first on PATH that records its arguments and its standard input, so the tests
// see exactly what would reach the real one, and never mount anything.
class FakeGio {
public:
    explicit FakeGio(const TempFolder& temp) : temp_(temp), path_(qgetenv("PATH")) {
        temp.write(u"bin/gio"_s, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n"
                                 "cat > \"$(dirname \"$0\")/stdin\"\n");
        QFile::setPermissions(temp.file(u"bin/gio"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(temp.file(u"bin"_s)) + ':' + path_);
    }
    ~FakeGio() { qputenv("PATH", path_); }
    bool called() const { return QFile::exists(temp_.file(u"bin/args"_s)); }
    QByteArray args() const { return temp_.read(u"bin/args"_s); }
    QByteArray input() const { return temp_.read(u"bin/stdin"_s); }

private:
    const TempFolder& temp_;
    QByteArray path_;
};

} // namespace

TEST(ParseShareAddress, TakesServerShareAndInnerFolder) {
    const auto a = ParseShareAddress(u"\\\\nas\\video\\films\\new"_s);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Server, u"nas"_s);
    EXPECT_EQ(a->Share, u"video"_s);
    EXPECT_EQ(a->Rest, u"films/new"_s);
    const auto b = ParseShareAddress(u"//nas/video/"_s);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Rest, QString());
    EXPECT_FALSE(ParseShareAddress(u"//nas"_s));
    EXPECT_FALSE(ParseShareAddress(u"/nas/video"_s));
    EXPECT_EQ(ShareUri(*ParseShareAddress(u"//my nas/vid#eo"_s)), u"smb://my%20nas/vid%23eo"_s);
}

TEST(LocalSharePath, FindsCifsMountsAndGvfsFolders) {
    const QByteArray mounts = "proc /proc proc rw 0 0\n"
                              "//other/video /mnt/other cifs rw 0 0\n"
                              "//NAS/Video /mnt/my\\040films cifs rw,vers=3.0 0 0\n"
                              "//nas/video /mnt/nfs nfs rw 0 0\n";
    const ShareAddress share{u"nas"_s, u"video"_s, u"films"_s};
    EXPECT_EQ(MountPointFromMounts(mounts, share), u"/mnt/my films"_s);
    EXPECT_EQ(MountPointFromMounts("//nas/music /mnt/m cifs rw 0 0\n", share), QString());

    TempFolder temp;
    temp.mkdir(u"gvfs/smb-share:server=other,share=video"_s);
    temp.mkdir(u"gvfs/smb-share:server=nas,share=video,user=bob"_s);
    EXPECT_EQ(GvfsSharePath(temp.file(u"gvfs"_s), share),
              temp.file(u"gvfs/smb-share:server=nas,share=video,user=bob"_s));
    EXPECT_EQ(GvfsSharePath(temp.file(u"gvfs"_s), ShareAddress{u"nas"_s, u"music"_s, {}}), QString());
}

TEST(ScanListedFolder, NetworkLineWithoutCredentialsMakesNoConnection) {
    TempFolder temp;
    FakeGio gio(temp);
    MovieLibrary library;
    ScanListedFolder(library, u"\\\\reelboard-test-host.invalid\\video\\"_s);
    EXPECT_FALSE(gio.called());
    // Not mounted: a folder that cannot be listed; "//host/video" is never read as a local path.
    ASSERT_EQ(library.Folders.size(), 1u);
    EXPECT_EQ(library.Folders[0].Path, u"\\\\reelboard-test-host.invalid\\video"_s);
    EXPECT_TRUE(library.Movies.empty());
}

TEST(ScanListedFolder, CredentialsGoToGioOnItsInputNeverOnItsCommandLine) {
    TempFolder temp;
    FakeGio gio(temp);
    MovieLibrary library;
    ScanListedFolder(library, u"//reelboard-test-host.invalid/video/\tWORK\\bob\ts3cret/"_s);
    ASSERT_TRUE(gio.called());
    EXPECT_EQ(gio.args(), "mount\nsmb://reelboard-test-host.invalid/video\n");
    EXPECT_FALSE(gio.args().contains("s3cret"));
    // User, domain, password: a trailing "/" belongs to the password, not to the path.
    EXPECT_EQ(gio.input(), "bob\nWORK\ns3cret/\n");
    ASSERT_EQ(library.Folders.size(), 1u);
    EXPECT_EQ(library.Folders[0].Path, u"//reelboard-test-host.invalid/video"_s);
}
