// The file layer's calls on POSIX systems, which take paths as bytes: each wide path is given
// in its UTF-8 form.
#include "files.h"

#include "utf8.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// A source of 2 GiB or more must open, so that the size check refuses it by its size; a 32-bit
// system opens it only with 64-bit offsets (_FILE_OFFSET_BITS=64), and QEMU, which runs the
// 32-bit tests on a 64-bit kernel, would open it either way.
static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");

FILE *OpenRead(const wchar_t *path) {
    return Faulty() ? nullptr : std::fopen(EncodeUtf8(path).c_str(), "rb");
}

bool CanReplace(const wchar_t *path) {
    std::string p = EncodeUtf8(path);
    struct stat st;
    if (stat(p.c_str(), &st) != 0)
        return true;
    return S_ISREG(st.st_mode) && access(p.c_str(), W_OK) == 0;
}

int CreateNew(const wchar_t *spare, const wchar_t *path) {
    int fd = open(EncodeUtf8(spare).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    struct stat old;
    if (fd >= 0 && stat(EncodeUtf8(path).c_str(), &old) == 0)
        fchmod(fd, old.st_mode & 07777);
    return fd;
}

bool SyncFile(FILE *f) {
    return !Faulty() && fsync(fileno(f)) == 0;
}

// The rename lasts once the folder that holds it is on the disk too. The output is whole by
// then, so a folder that cannot be synced does not stop the Run.
static void SyncFolder(const wchar_t *path) {
    const std::wstring folder(path, FolderLength(path));
    int fd = open(folder.empty() ? "." : EncodeUtf8(folder).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    if (!Faulty())
        fsync(fd);
    close(fd);
}

bool MoveOnto(const wchar_t *from, const wchar_t *to) {
    if (Faulty() || std::rename(EncodeUtf8(from).c_str(), EncodeUtf8(to).c_str()) != 0)
        return false;
    SyncFolder(to);
    return true;
}

void RemoveFile(const wchar_t *path) {
    std::remove(EncodeUtf8(path).c_str());
}
