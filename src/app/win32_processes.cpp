#include "app/win32_processes.h"

#include "files/file_operations.h"
#include "files/win32_file_operations.h"

#include <windows.h>

#include <array>
#include <cerrno>
#include <memory>
#include <thread>

namespace kestrix {

namespace {

// More than any handling file; a program that writes more is cut off.
constexpr std::size_t kMostOutput = std::size_t{256} << 20;

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle && handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

int LastError() {
    return ErrorFromSystem(::GetLastError());
}

std::string CannotRun(const std::string& program, const std::string& folder, int error) {
    return "Cannot run " + program + (folder.empty() ? std::string() : " in \"" + folder + "\"") + ": " +
           SystemReason(error);
}

// The program as Windows finds one by name: in the folders of PATH, with ".exe"
// added to a name without an extension. The current folder is not searched,
// so that a program of that name in a user's folder is never run instead.
// A name with a folder in it is taken as it is.
int FindProgram(const std::string& name, std::wstring& program) {
    std::wstring wide;
    if (const int error = Wide(name, wide))
        return error;
    const std::size_t folderEnd = wide.find_last_of(L"\\/:");
    if (folderEnd != std::wstring::npos) {
        const bool bare = wide.find(L'.', folderEnd) == std::wstring::npos;
        program =
            bare && ::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES ? wide + L".exe" : wide;
        return ::GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES ? LastError() : 0;
    }
    std::wstring path(::GetEnvironmentVariableW(L"PATH", nullptr, 0), L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    program.assign(32768, L'\0');
    const DWORD length = ::SearchPathW(path.c_str(), wide.c_str(), L".exe",
                                       static_cast<DWORD>(program.size()), program.data(), nullptr);
    if (length == 0 || length >= program.size())
        return length == 0 ? LastError() : ENAMETOOLONG;
    program.resize(length);
    return 0;
}

// The folder in the full form the system starts a program in; none keeps this program's.
int FolderToRunIn(const std::string& folder, std::wstring& full) {
    full.clear();
    if (folder.empty())
        return 0;
    std::wstring wide;
    if (const int error = Wide(folder, wide))
        return error;
    full.assign(32768, L'\0');
    const DWORD length =
        ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return length == 0 ? LastError() : ENAMETOOLONG;
    full.resize(length);
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return LastError();
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? 0 : ENOTDIR;
}

// One argument so that the started program's parser of its command line reads
// it back unchanged: in quotes where a blank, tab or quote would split or change
// it, with backslashes doubled only where a quote follows them.
void AppendArgument(std::wstring& line, const std::wstring& argument) {
    line += L' ';
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

int CommandLine(const std::wstring& program, const std::vector<std::string>& command, std::wstring& line) {
    line = L"\"" + program + L"\"";
    std::wstring argument;
    for (std::size_t i = 1; i < command.size(); ++i) {
        if (const int error = Wide(command[i], argument))
            return error;
        AppendArgument(line, argument);
    }
    return 0;
}

// The child's ends of its three standard streams, which alone it inherits.
struct ChildStreams {
    OwnedHandle input, output, errors;
};

// Reads a pipe until the program closes it, or until it has written more
// than any run needs; the pipe is closed then, so that the program stops
// rather than waits for a reader.
void ReadAll(OwnedHandle pipe, std::string& into) {
    std::array<char, 65536> buffer;
    DWORD got = 0;
    while (into.size() <= kMostOutput &&
           ::ReadFile(pipe.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
        into.append(buffer.data(), got);
}

int MakePipe(OwnedHandle& read, OwnedHandle& write) {
    HANDLE ends[2] = {nullptr, nullptr};
    if (!::CreatePipe(&ends[0], &ends[1], nullptr, 0))
        return LastError();
    read.reset(ends[0]);
    write.reset(ends[1]);
    return ::SetHandleInformation(ends[1], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) ? 0 : LastError();
}

int OpenEmptyInput(OwnedHandle& input) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    input.reset(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                              OPEN_EXISTING, 0, nullptr));
    return input.get() == INVALID_HANDLE_VALUE ? LastError() : 0;
}

// Starts the program with only its own streams inherited, never the pipes of
// a program another thread starts meanwhile, which would then not end.
int Start(std::wstring& line, const std::wstring& program, const std::wstring& folder, ChildStreams& streams,
          OwnedHandle& process) {
    std::array<HANDLE, 3> handles{streams.input.get(), streams.output.get(), streams.errors.get()};
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    const auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &size))
        return LastError();
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = handles[0];
    startup.StartupInfo.hStdOutput = handles[1];
    startup.StartupInfo.hStdError = handles[2];
    startup.lpAttributeList = attributes;
    PROCESS_INFORMATION started{};
    bool ok = ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                                          sizeof handles, nullptr, nullptr);
    const DWORD flags = CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT;
    ok = ok && ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &started);
    const int error = ok ? 0 : LastError();
    ::DeleteProcThreadAttributeList(attributes);
    if (ok) {
        ::CloseHandle(started.hThread);
        process.reset(started.hProcess);
    }
    return error;
}

} // namespace

platform::ProcessRun Win32ProcessRunner::Run(const std::vector<std::string>& command,
                                             const std::string& folder) {
    platform::ProcessRun run;
    if (command.empty()) {
        run.failure = "no program was named";
        return run;
    }
    std::wstring program, where, line;
    if (const int error = FindProgram(command[0], program)) {
        run.failure = CannotRun(command[0], {}, error);
        return run;
    }
    if (const int error = FolderToRunIn(folder, where)) {
        run.failure = CannotRun(command[0], folder, error);
        return run;
    }
    ChildStreams child;
    OwnedHandle output, errors, process;
    int error = CommandLine(program, command, line);
    if (!error)
        error = OpenEmptyInput(child.input);
    if (!error)
        error = MakePipe(output, child.output);
    if (!error)
        error = MakePipe(errors, child.errors);
    if (!error)
        error = Start(line, program, where, child, process);
    if (error) {
        run.failure = CannotRun(command[0], {}, error);
        return run;
    }
    child = {}; // the pipes end when the program closes its own ends
    std::thread errorReader(ReadAll, std::move(errors), std::ref(run.errors));
    ReadAll(std::move(output), run.output);
    errorReader.join();
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess(process.get(), &status);
    run.status = static_cast<int>(status);
    return run;
}

} // namespace kestrix
