// app_list_reader.exe: looks at a running quorvell.exe from outside, for the end-to-end
// runs; the program itself has no hook for tests.
//   app_list_reader.exe rows OUT-FILE
//       the result list's rows, one per line, cells as the companion scanner writes them
//       (TAB between cells, backslash, TAB, CR and LF escaped), in the ANSI code page
//   app_list_reader.exe rowpoint ROW OUT-FILE
//       "x y": a screen point inside column 1 of the row, for a real click there
//   app_list_reader.exe labelpoint OUT-FILE
//       "x y": the screen point at the centre of the label
//   app_list_reader.exe box OUT-FILE
//       waits for the fatal error box, writes its caption and text (UTF-8), closes it
// Exit status: 0 done, 2 the window or the box was not found, 3 usage or read error.
#include "tools/scan/RowFormat.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kResultListId = 1001;

HWND findMainWindow() {
    for (int tries = 0; tries < 100; ++tries) {
        if (HWND window = FindWindowW(L"QuorvellMainWindow", L"Quorvell")) {
            return window;
        }
        Sleep(100);
    }
    return nullptr;
}

// Memory in the list's process, where the list can write its answers.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND window, std::size_t size) : size_(size) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
        if (process_) {
            address_ =
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer() {
        if (address_) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_) {
            CloseHandle(process_);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool valid() const { return address_ != nullptr; }
    char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool write(std::size_t offset, const void* bytes, std::size_t count) const {
        return offset + count <= size_ &&
               WriteProcessMemory(process_, at(offset), bytes, count, nullptr);
    }
    bool read(std::size_t offset, void* bytes, std::size_t count) const {
        return offset + count <= size_ &&
               ReadProcessMemory(process_, at(offset), bytes, count, nullptr);
    }

  private:
    std::size_t size_;
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

constexpr int kTextCapacity = 1 << 16;

std::string cellText(HWND list, const RemoteBuffer& remote, int row, int column) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = remote.at(sizeof item);
    item.cchTextMax = kTextCapacity;
    const char nul = '\0';
    remote.write(sizeof item, &nul, 1);
    remote.write(0, &item, sizeof item);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote.at(0)));
    std::vector<char> text(kTextCapacity, '\0');
    remote.read(sizeof item, text.data(), text.size());
    text.back() = '\0';
    return std::string(text.data());
}

int writeRows(const char* outPath) {
    HWND window = findMainWindow();
    HWND list = window ? GetDlgItem(window, kResultListId) : nullptr;
    if (!list) {
        return 2;
    }
    RemoteBuffer remote(list, sizeof(LVITEMA) + kTextCapacity);
    if (!remote.valid()) {
        return 3;
    }
    const auto rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::string out;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (column > 0) {
                out += '\t';
            }
            out += quorvell::tools::escapeCell(cellText(list, remote, row, column));
        }
        out += '\n';
    }
    FILE* file = std::fopen(outPath, "wb");
    if (!file) {
        return 3;
    }
    std::fwrite(out.data(), 1, out.size(), file);
    std::fclose(file);
    return 0;
}

int writeRowPoint(int row, const char* outPath) {
    HWND window = findMainWindow();
    HWND list = window ? GetDlgItem(window, kResultListId) : nullptr;
    if (!list) {
        return 2;
    }
    RemoteBuffer remote(list, sizeof(RECT));
    RECT place{};
    place.top = 1; // column 1
    place.left = LVIR_BOUNDS;
    if (!remote.valid() || !remote.write(0, &place, sizeof place)) {
        return 3;
    }
    if (!SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(remote.at(0))) ||
        !remote.read(0, &place, sizeof place)) {
        return 2;
    }
    POINT point{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    ClientToScreen(list, &point);
    FILE* file = std::fopen(outPath, "wb");
    if (!file) {
        return 3;
    }
    std::fprintf(file, "%ld %ld\n", point.x, point.y);
    std::fclose(file);
    return 0;
}

int writeLabelPoint(const char* outPath) {
    HWND window = findMainWindow();
    HWND label = window ? FindWindowExW(window, nullptr, L"QuorvellLabel", nullptr) : nullptr;
    RECT place{};
    if (!label || !GetClientRect(label, &place)) {
        return 2;
    }
    POINT point{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    ClientToScreen(label, &point);
    FILE* file = std::fopen(outPath, "wb");
    if (!file) {
        return 3;
    }
    std::fprintf(file, "%ld %ld\n", point.x, point.y);
    std::fclose(file);
    return 0;
}

std::string utf8(const std::wstring& wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::wstring windowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

BOOL CALLBACK collectText(HWND child, LPARAM collected) {
    wchar_t className[64] = {};
    GetClassNameW(child, className, 64);
    const std::wstring text = windowText(child);
    if (!text.empty() && _wcsicmp(className, L"Static") == 0) {
        *reinterpret_cast<std::wstring*>(collected) += text;
    }
    return TRUE;
}

int readFatalBox(const char* outPath) {
    HWND box = nullptr;
    for (int tries = 0; tries < 200 && !box; ++tries) {
        box = FindWindowW(L"#32770", L"错误");
        if (!box) {
            Sleep(100);
        }
    }
    if (!box) {
        return 2;
    }
    std::wstring text;
    EnumChildWindows(box, &collectText, reinterpret_cast<LPARAM>(&text));
    FILE* file = std::fopen(outPath, "wb");
    if (!file) {
        return 3;
    }
    const std::string caption = utf8(windowText(box));
    const std::string body = utf8(text);
    std::fprintf(file, "caption=%s\ntext=%s", caption.c_str(), body.c_str());
    std::fclose(file);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "rows") == 0) {
        return writeRows(argv[2]);
    }
    if (argc == 4 && std::strcmp(argv[1], "rowpoint") == 0) {
        return writeRowPoint(std::atoi(argv[2]), argv[3]);
    }
    if (argc == 3 && std::strcmp(argv[1], "labelpoint") == 0) {
        return writeLabelPoint(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "box") == 0) {
        return readFatalBox(argv[2]);
    }
    std::fprintf(stderr,
                 "usage: app_list_reader rows OUT | rowpoint ROW OUT | labelpoint OUT | box OUT\n");
    return 3;
}
