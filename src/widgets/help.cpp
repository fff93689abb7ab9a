#include <widgets/help.h>

#include <platform/process.h>
#include <platform/text.h>

void ShowHelp(LPCWSTR topic) {
    if (topic == nullptr) {
        return;
    }
    WCHAR commandLine[260];
    FormatW(commandLine, 260, u"file:%s#%s", u"Tavrel.htm", topic);  // at most 259 characters
    PROCESS_INFORMATION information{};
    CreateProcessW(u"peghelp.exe", commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   nullptr, &information);
}
