// SPDX-License-Identifier: MIT
#include "ProgramRun.h"

#include "WindowsText.h"

#include <windows.h>
#include <shellapi.h>

#include <pthread.h>
#include <thread>

namespace morlith {
namespace {

// `word` quoted so that the program's CommandLineToArgvW gives it back as it is.
std::wstring Quoted(const std::wstring &word)
{
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return word;
    std::wstring text = L"\"";
    for (size_t i = 0;; ++i) {
        size_t slashes = 0;
        while (i < word.size() && word[i] == L'\\') {
            ++slashes;
            ++i;
        }
        if (i == word.size()) {
            text.append(slashes * 2, L'\\');
            break;
        }
        if (word[i] == L'"')
            text.append(slashes * 2 + 1, L'\\');
        else
            text.append(slashes, L'\\');
        text += word[i];
    }
    return text + L"\"";
}

struct THandle {
    HANDLE Value = nullptr;
    ~THandle() { Close(); }
    void Close()
    {
        if (Value)
            ::CloseHandle(Value);
        Value = nullptr;
    }
};

} // namespace

bool SplitProgramWords(const std::string &line, std::vector<std::string> &words, std::string &problem)
{
    words.clear();
    if (line.find_first_not_of(" \t") == std::string::npos)
        return true;
    int count = 0;
    LPWSTR *list = ::CommandLineToArgvW(WideFromUtf8(line).c_str(), &count);
    if (!list) {
        problem = "\"" + line + "\" cannot be split into words";
        return false;
    }
    for (int i = 0; i < count; ++i)
        words.push_back(Utf8FromWide(list[i]));
    ::LocalFree(list);
    return true;
}

TProgramEnd RunProgram(const TProgramRun &run)
{
    TProgramEnd end;
    if (run.Words.empty()) {
        end.Error = ERROR_FILE_NOT_FOUND;
        return end;
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    THandle inputRead, inputWrite, outputRead, outputWrite;
    if (!::CreatePipe(&inputRead.Value, &inputWrite.Value, &inherited, 0) ||
        !::CreatePipe(&outputRead.Value, &outputWrite.Value, &inherited, 0)) {
        end.Error = int(::GetLastError());
        return end;
    }
    ::SetHandleInformation(inputWrite.Value, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(outputRead.Value, HANDLE_FLAG_INHERIT, 0);
    std::wstring line;
    for (const std::string &word : run.Words)
        line += (line.empty() ? L"" : L" ") + Quoted(WideFromUtf8(word));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead.Value;
    startup.hStdOutput = outputWrite.Value;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                          &process)) {
        end.Error = int(::GetLastError());
        return end;
    }
    end.Started = true;
    THandle processHandle{process.hProcess};
    ::CloseHandle(process.hThread);
    inputRead.Close();
    outputWrite.Close();
    // The pipes are fed and drained by threads of their own, so that a program that neither reads
    // nor ends is still held to the time limit.
    std::thread feeder([&] {
        DWORD written = 0;
        size_t done = 0;
        while (done < run.Input.size() &&
               ::WriteFile(inputWrite.Value, run.Input.data() + done, DWORD(run.Input.size() - done), &written, nullptr))
            done += written;
        inputWrite.Close();
    });
    std::thread reader([&] {
        char buffer[4096];
        DWORD count = 0;
        while (::ReadFile(outputRead.Value, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            const size_t room = run.LongestOutput - end.Output.size();
            end.Output.append(buffer, std::min<size_t>(room, count));
            end.OutputCut = end.OutputCut || count > room;
        }
    });
    if (::WaitForSingleObject(processHandle.Value, run.TimeLimitMs) != WAIT_OBJECT_0) {
        end.TimedOut = true;
        ::TerminateProcess(processHandle.Value, 1);
        ::WaitForSingleObject(processHandle.Value, INFINITE);
    }
    // A child of the program may still hold the pipes: cancel what waits on them.
    // std::thread is a winpthreads thread here: its Windows handle comes from pthread_gethandle.
    ::CancelSynchronousIo(static_cast<HANDLE>(pthread_gethandle(feeder.native_handle())));
    ::CancelSynchronousIo(static_cast<HANDLE>(pthread_gethandle(reader.native_handle())));
    feeder.join();
    reader.join();
    DWORD status = 0;
    if (!end.TimedOut && ::GetExitCodeProcess(processHandle.Value, &status))
        end.ExitStatus = int(status);
    return end;
}

} // namespace morlith
