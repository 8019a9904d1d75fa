#include "handling_file/file_operations.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string FileFailure(std::string_view what, const std::string& path, std::string_view reason) {
    std::string text(what);
    text.append(" \"").append(path).append("\": ").append(reason);
    return text;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

bool SameFile(const std::string& a, const std::string& b, FileOperations& files) {
    FileStatus first, second;
    if (files.TargetStatus(a, first) != 0 || files.TargetStatus(b, second) != 0)
        return a == b;
    return first.identity == second.identity;
}

} // namespace kestrix
