// The file layer's calls on Windows, which takes UTF-16 paths: the runtime's _w functions, and
// the system's own move for the one step that the runtime cannot make, replacing a file.
#include "files.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

FILE *OpenRead(const wchar_t *path) {
    return Faulty() ? nullptr : _wfopen(path, L"rb");
}

bool CanReplace(const wchar_t *path) {
    struct _stat64 st;
    if (_wstat64(path, &st) != 0)
        return true;
    return (st.st_mode & _S_IFMT) == _S_IFREG && _waccess(path, 2) == 0;
}

int CreateNew(const wchar_t *spare, const wchar_t *) {
    return _wopen(spare, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

// The runtime's _commit is the system's FlushFileBuffers.
bool SyncFile(FILE *f) {
    return !Faulty() && _commit(_fileno(f)) == 0;
}

// One call replaces the older file, so that the output path is never empty, and returns only
// once the move is on the disk. On failure the older file is as it was.
bool MoveOnto(const wchar_t *from, const wchar_t *to) {
    return !Faulty() &&
           MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const wchar_t *path) {
    _wremove(path);
}
