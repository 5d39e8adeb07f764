// File access by wide path. Windows takes UTF-16 paths through the runtime's _w functions;
// other systems take bytes, so the path is converted to UTF-8 first.
#include "files.h"

#include "utf8.h"

#include <cerrno>
#include <cwchar>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#ifdef TV_FAULTS
long faultAt = NoFault, faultCalls;
#endif

// Spare files stand in the output's own directory, so that the final move stays on one volume,
// under a short name of their own, so that an output name of any length leaves room for it.
bool SpareName(const wchar_t *path, unsigned n, wchar_t *spare, size_t room) {
    size_t dir = std::wcslen(path);
    while (dir > 0 && path[dir - 1] != L'/'
#ifdef _WIN32
           && path[dir - 1] != L'\\' && path[dir - 1] != L':'
#endif
    )
        dir--;
    const std::wstring name = L"~tv" + std::to_wstring(n) + L".tmp";
    if (n >= SpareNames || dir + name.size() >= room)
        return false;
    std::wmemcpy(spare, path, dir);
    std::wmemcpy(spare + dir, name.c_str(), name.size() + 1);
    return true;
}

// Creates spare as a new file open for writing, never opening one that is there already (-1,
// errno EEXIST); on POSIX it takes the permissions of the file at path.
static int CreateNew(const wchar_t *spare, const wchar_t *path);

FILE *CreateSpare(const wchar_t *path, wchar_t *spare, size_t room) {
    if (Faulty())
        return nullptr;
    for (unsigned n = 0; SpareName(path, n, spare, room); n++) {
        int fd = CreateNew(spare, path);
        if (fd >= 0) {
            FILE *f = Faulty() ? nullptr : fdopen(fd, "wb");
            if (!f) {
                close(fd);
                RemoveFile(spare);
            }
            return f;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

bool CloseWritten(FILE *f) {
    bool closed = std::fclose(f) == 0;
    return !Faulty() && closed;
}

#ifdef _WIN32

FILE *OpenRead(const wchar_t *path) {
    return Faulty() ? nullptr : _wfopen(path, L"rb");
}

bool CanReplace(const wchar_t *path) {
    struct _stat64 st;
    if (_wstat64(path, &st) != 0)
        return true;
    return (st.st_mode & _S_IFMT) == _S_IFREG && _waccess(path, 2) == 0;
}

static int CreateNew(const wchar_t *spare, const wchar_t *) {
    return _wopen(spare, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

static bool Exists(const wchar_t *path) {
    return _waccess(path, 0) == 0;
}

// The runtime's rename does not replace an existing file, so the old file is first parked
// under a spare name and brought back if the move fails: one of the two always stays whole.
bool ReplaceFile(const wchar_t *from, const wchar_t *to) {
    if (Faulty())
        return false;
    if (_wrename(from, to) == 0)
        return true;
    if (!Exists(to))
        return false;
    wchar_t parked[SpareRoom];
    for (unsigned n = 0; n < SpareNames; n++) {
        if (!SpareName(to, n, parked, SpareRoom))
            return false;
        if (Exists(parked))
            continue;
        if (_wrename(to, parked) != 0)
            return false;
        if (_wrename(from, to) != 0) {
            _wrename(parked, to);
            return false;
        }
        _wremove(parked);
        return true;
    }
    return false;
}

void RemoveFile(const wchar_t *path) {
    _wremove(path);
}

#else

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

static int CreateNew(const wchar_t *spare, const wchar_t *path) {
    int fd = open(EncodeUtf8(spare).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    struct stat old;
    if (fd >= 0 && stat(EncodeUtf8(path).c_str(), &old) == 0)
        fchmod(fd, old.st_mode & 07777);
    return fd;
}

bool ReplaceFile(const wchar_t *from, const wchar_t *to) {
    return !Faulty() && std::rename(EncodeUtf8(from).c_str(), EncodeUtf8(to).c_str()) == 0;
}

void RemoveFile(const wchar_t *path) {
    std::remove(EncodeUtf8(path).c_str());
}

#endif
