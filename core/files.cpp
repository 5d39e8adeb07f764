// File access by wide path. Windows takes UTF-16 paths through the runtime's _w functions;
// other systems take bytes, so the path is converted to UTF-8 first.
#include "files.h"

#include <cerrno>
#include <cwchar>
#include <string>
#include <sys/stat.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

// Appends tag n to path in spare: "path.~tv0" to "path.~tv9".
static bool SpareName(const wchar_t *path, int n, wchar_t *spare, size_t room) {
    const wchar_t tag[] = {L'.', L'~', L't', L'v', static_cast<wchar_t>(L'0' + n), 0};
    size_t len = std::wcslen(path);
    if (len + 6 > room)
        return false;
    std::wmemcpy(spare, path, len);
    std::wmemcpy(spare + len, tag, 6);
    return true;
}

#ifdef _WIN32

FILE *OpenRead(const wchar_t *path) {
    return _wfopen(path, L"rb");
}

bool CanReplace(const wchar_t *path) {
    struct _stat64 st;
    if (_wstat64(path, &st) != 0)
        return true;
    return (st.st_mode & _S_IFMT) == _S_IFREG && _waccess(path, 2) == 0;
}

FILE *CreateSpare(const wchar_t *path, wchar_t *spare, size_t room) {
    for (int n = 0; n < 10; n++) {
        if (!SpareName(path, n, spare, room))
            return nullptr;
        int fd = _wopen(spare, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            FILE *f = _fdopen(fd, "wb");
            if (!f) {
                _close(fd);
                _wremove(spare);
            }
            return f;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

static bool Exists(const wchar_t *path) {
    return _waccess(path, 0) == 0;
}

// The runtime's rename does not replace an existing file, so the old file is first parked
// under a spare name and brought back if the move fails: one of the two always stays whole.
bool ReplaceFile(const wchar_t *from, const wchar_t *to) {
    if (_wrename(from, to) == 0)
        return true;
    if (!Exists(to))
        return false;
    wchar_t parked[SpareRoom];
    for (int n = 0; n < 10; n++) {
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

// UTF-8 form of a wide path. wchar_t holds whole code points here.
static std::string Narrow(const wchar_t *path) {
    std::string out;
    for (; *path; path++) {
        unsigned long c = static_cast<unsigned long>(*path);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

FILE *OpenRead(const wchar_t *path) {
    return std::fopen(Narrow(path).c_str(), "rb");
}

bool CanReplace(const wchar_t *path) {
    std::string p = Narrow(path);
    struct stat st;
    if (stat(p.c_str(), &st) != 0)
        return true;
    return S_ISREG(st.st_mode) && access(p.c_str(), W_OK) == 0;
}

FILE *CreateSpare(const wchar_t *path, wchar_t *spare, size_t room) {
    struct stat old;
    bool hasOld = stat(Narrow(path).c_str(), &old) == 0;
    for (int n = 0; n < 10; n++) {
        if (!SpareName(path, n, spare, room))
            return nullptr;
        std::string s = Narrow(spare);
        int fd = open(s.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            if (hasOld)
                fchmod(fd, old.st_mode & 07777);
            FILE *f = fdopen(fd, "wb");
            if (!f) {
                close(fd);
                unlink(s.c_str());
            }
            return f;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

bool ReplaceFile(const wchar_t *from, const wchar_t *to) {
    return std::rename(Narrow(from).c_str(), Narrow(to).c_str()) == 0;
}

void RemoveFile(const wchar_t *path) {
    std::remove(Narrow(path).c_str());
}

#endif
