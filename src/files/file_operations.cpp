#include "files/file_operations.h"

#include "files/paths.h"

#include <algorithm>
#include <cerrno>

namespace kestrix {

int WriteAll(FileOperations& files, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t written = 0;
        const int error = files.Write(fd, bytes, written);
        if (error == EINTR)
            continue;
        if (error != 0)
            return error;
        if (written == 0)
            return EIO;
        bytes.remove_prefix(std::min(written, bytes.size()));
    }
    return 0;
}

int ReadToEnd(FileOperations& files, int fd, std::string& bytes) {
    char buffer[1 << 16];
    while (true) {
        std::size_t got = 0;
        const int error = files.Read(fd, buffer, sizeof buffer, got);
        if (error == EINTR)
            continue;
        if (error != 0)
            return error;
        if (got == 0)
            return 0;
        bytes.append(buffer, got);
    }
}

std::string FolderOf(const std::string& path) {
    return FolderOf(path, kSystemPathStyle);
}

std::string NameOf(const std::string& path) {
    return NameOf(path, kSystemPathStyle);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return InFolder(folder, name, kSystemPathStyle);
}

bool IsAbsolute(const std::string& path) {
    const std::size_t root = RootLength(path, kSystemPathStyle);
    // "C:" alone is the drive's current folder.
    return root > 0 && !(root == 2 && path[1] == ':');
}

int MakeFolders(FileOperations& files, const std::string& folder) {
    int error = files.MakeFolder(folder);
    if (const std::string above = FolderOf(folder); error == ENOENT && above != folder) {
        error = MakeFolders(files, above);
        if (error == 0)
            error = files.MakeFolder(folder);
    }
    return error == EEXIST ? 0 : error;
}

std::string FileFailure(std::string_view what, const std::string& path, std::string_view reason) {
    std::string text(what);
    text.append(" \"").append(path).append("\": ").append(reason);
    return text;
}

bool SameFile(const std::string& a, const std::string& b, FileOperations& files) {
    FileStatus first, second;
    if (files.TargetStatus(a, first) != 0 || files.TargetStatus(b, second) != 0)
        return a == b;
    return first.identity == second.identity;
}

} // namespace kestrix
