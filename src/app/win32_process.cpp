#include "app/process.h"

#include "files/win32_file_operations.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace kestrix {

namespace {

// The command line after the program's name, as the system reads the name:
// up to its closing quote, or up to the first blank.
const wchar_t* AfterProgramName(const wchar_t* line) {
    if (*line == L'"') {
        for (++line; *line && *line != L'"'; ++line) {
        }
        return *line ? line + 1 : line;
    }
    while (*line && *line != L' ' && *line != L'\t')
        ++line;
    return line;
}

int CannotStart(const std::string& what, const std::string& editor) {
    const std::string reason = SystemReason(ErrorFromSystem(::GetLastError()));
    std::fprintf(stderr, "kestrix: %s \"%s\": %s\n", what.c_str(), editor.c_str(), reason.c_str());
    return 2;
}

} // namespace

// The arguments come from the system's own command line, which holds every
// name as the user wrote it; the narrow argv holds them in an older code page.
std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(Utf8(wide[i], std::wcslen(wide[i])));
    ::LocalFree(wide);
    return args;
}

// A console: a character device that takes console modes (NUL is a character device too).
bool IsTerminal(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    return ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode);
}

void UseBinaryOutput() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

// Windows starts a new process instead of replacing this one: the editor gets
// this command line's arguments as they were written (quotes, blanks and
// all), the same standard streams, and this program waits for it and ends
// with its status, as a version-control system that started it expects.
int RunEditor(const std::string& name, char**) {
    std::wstring editor(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, editor.data(), static_cast<DWORD>(editor.size()));
    if (length == 0 || length == editor.size())
        return CannotStart("cannot find the program's folder", "kestrix");
    editor.resize(editor.find_last_of(L"\\/", length) + 1);
    std::wstring wideName;
    Wide(name, wideName);
    editor += wideName;
    std::wstring line = L"\"" + editor + L"\"" + AfterProgramName(::GetCommandLineW());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::fflush(stdout);
    std::fflush(stderr);
    if (!::CreateProcessW(editor.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process))
        return CannotStart("cannot start the editor", Utf8(editor.data(), editor.size()));
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 2;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

} // namespace kestrix
