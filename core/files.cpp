// The portable half of the file layer: the spare files' names, the search for a free one, and
// the closing of the output that must reach the disk before it may replace anything.
#include "files.h"

#include <cerrno>
#include <cwchar>
#include <string>
#include <unistd.h> // close, which the C runtime of Windows has too

#ifdef TV_FAULTS
long faultAt = NoFault, faultCalls;
#endif

size_t FolderLength(const wchar_t *path) {
    size_t length = std::wcslen(path);
    while (length > 0 && path[length - 1] != L'/'
#ifdef _WIN32
           && path[length - 1] != L'\\' && path[length - 1] != L':'
#endif
    )
        length--;
    return length;
}

// Spare files stand in the output's own directory, so that the final move stays on one volume,
// under a short name of their own, so that an output name of any length leaves room for it.
bool SpareName(const wchar_t *path, unsigned n, wchar_t *spare, size_t room) {
    const size_t dir = FolderLength(path);
    const std::wstring name = L"~tv" + std::to_wstring(n) + L".tmp";
    if (n >= SpareNames || dir + name.size() >= room)
        return false;
    std::wmemcpy(spare, path, dir);
    std::wcscpy(spare + dir, name.c_str());
    return true;
}

FILE *CreateSpare(const wchar_t *path, wchar_t *spare, size_t room) {
    if (Faulty())
        return nullptr;
    for (unsigned n = 0; SpareName(path, n, spare, room); n++) {
        const int fd = CreateNew(spare, path);
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

// The bytes reach the disk before the spare may take the output's place: a move that outlived a
// power cut while the bytes did not would leave an empty or partial output, and the older file
// gone.
bool CloseWritten(FILE *f) {
    bool synced = !Faulty() && std::fflush(f) == 0 && SyncFile(f);
    bool closed = std::fclose(f) == 0;
    return !Faulty() && closed && synced;
}
