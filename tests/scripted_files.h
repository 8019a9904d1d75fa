#pragma once

#include "files/system_file_operations.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kestrix::test {

// The real calls, except those a test makes fail; records what it was asked.
class ScriptedFiles : public SystemFileOperations {
  public:
    int createError = 0;
    int openWriteError = 0;
    int linkError = 0;
    int readError = 0;
    int syncFolderError = 0;
    // Writes go through a few bytes at a time, as on a nearly full disk, until
    // this many are written; the next write fails with ENOSPC, later ones pass.
    std::size_t bytesBeforeWriteFails = std::string::npos;
    std::vector<std::string> calls;
    std::function<void()> afterLink;  // runs once, right after the next link
    std::function<void()> beforeRead; // runs once, before the next read

    int CreateUnique(std::string& pattern, int& fd) override {
        calls.push_back("create");
        return createError ? createError : SystemFileOperations::CreateUnique(pattern, fd);
    }
    int OpenForWriting(const std::string& path, int& fd) override {
        return openWriteError ? openWriteError : SystemFileOperations::OpenForWriting(path, fd);
    }
    int Write(int fd, std::string_view bytes, std::size_t& written) override {
        if (bytesBeforeWriteFails == 0) {
            bytesBeforeWriteFails = std::string::npos;
            return ENOSPC;
        }
        const std::size_t room = std::min({bytes.size(), bytesBeforeWriteFails, std::size_t{3}});
        if (bytesBeforeWriteFails != std::string::npos)
            bytesBeforeWriteFails -= room;
        return SystemFileOperations::Write(fd, bytes.substr(0, room), written);
    }
    int Sync(int fd) override {
        calls.push_back("sync");
        return SystemFileOperations::Sync(fd);
    }
    int Link(const std::string& from, const std::string& to) override {
        calls.push_back("link");
        const int error = linkError ? linkError : SystemFileOperations::Link(from, to);
        if (afterLink)
            std::exchange(afterLink, nullptr)();
        return error;
    }
    int Read(int fd, char* buffer, std::size_t size, std::size_t& got) override {
        if (beforeRead)
            std::exchange(beforeRead, nullptr)();
        return readError ? readError : SystemFileOperations::Read(fd, buffer, size, got);
    }
    int Rename(const std::string& from, const std::string& to) override {
        calls.push_back("rename to " + std::filesystem::path(to).filename().string());
        return SystemFileOperations::Rename(from, to);
    }
    int SyncFolder(const std::string& folder) override {
        calls.push_back("sync folder");
        return syncFolderError ? syncFolderError : SystemFileOperations::SyncFolder(folder);
    }
};

} // namespace kestrix::test
