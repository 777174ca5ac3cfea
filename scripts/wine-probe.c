/* wine-probe.exe: what runs in the Windows session, for the checks of scripts/test-package under
 * wine (which has no working tasklist); built there with x86_64-w64-mingw32-gcc.
 *   wine-probe.exe windows                    "pid<TAB>title" of each visible top-level window
 *   wine-probe.exe wait-window TEXT SECONDS   waits until a visible window's title contains
 *                                             TEXT and prints it (exit 0); exit 1 after
 *                                             SECONDS, with the windows it saw
 *   wine-probe.exe wait-exit NAME SECONDS     waits until no process NAME (an .exe's file
 *                                             name, any case) runs (exit 0); exit 1 after
 *                                             SECONDS, with the processes of that name
 * Output in UTF-8; 2: usage. */
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static void print_utf8(unsigned long pid, const wchar_t* text) {
    char utf8[1024];
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL) == 0)
        strcpy(utf8, "?");
    printf("%lu\t%s\n", pid, utf8);
    fflush(stdout);
}

struct window_search {
    const wchar_t* text; /* NULL: every window */
    int hits;
};

static BOOL CALLBACK visit_window(HWND window, LPARAM data) {
    struct window_search* search = (struct window_search*)data;
    wchar_t title[512];
    if (!IsWindowVisible(window) || GetWindowTextW(window, title, 512) <= 0)
        return TRUE;
    if (search->text == NULL || wcsstr(title, search->text) != NULL) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        print_utf8(pid, title);
        search->hits++;
    }
    return TRUE;
}

static int windows_with(const wchar_t* text) {
    struct window_search search = {text, 0};
    EnumWindows(visit_window, (LPARAM)&search);
    return search.hits;
}

/* The processes named name; printed when print is set. -1 when the list cannot be taken. */
static int processes_named(const wchar_t* name, int print) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    int hits = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, name) == 0) {
            if (print)
                print_utf8(entry.th32ProcessID, entry.szExeFile);
            hits++;
        }
    }
    CloseHandle(snapshot);
    return hits;
}

static int usage(void) {
    fprintf(stderr, "usage: wine-probe.exe windows | wait-window TEXT SECONDS | wait-exit NAME SECONDS\n");
    return 2;
}

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "windows") == 0) {
        windows_with(NULL);
        return 0;
    }
    if (argc != 4)
        return usage();
    const int wait_window = strcmp(argv[1], "wait-window") == 0;
    if (!wait_window && strcmp(argv[1], "wait-exit") != 0)
        return usage();
    wchar_t text[512];
    if (MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, text, 512) == 0) {
        fprintf(stderr, "wine-probe: %s is not UTF-8\n", argv[2]);
        return 2;
    }
    char* end = NULL;
    const double seconds = strtod(argv[3], &end);
    if (end == argv[3] || *end != '\0' || seconds < 0)
        return usage();
    const ULONGLONG started = GetTickCount64();
    for (;;) {
        if (wait_window) {
            if (windows_with(text) > 0)
                return 0;
        } else {
            const int running = processes_named(text, 0);
            if (running < 0) {
                fprintf(stderr, "wine-probe: no process list (error %lu)\n", GetLastError());
                return 1;
            }
            if (running == 0)
                return 0;
        }
        if ((double)(GetTickCount64() - started) >= seconds * 1000.0)
            break;
        Sleep(100);
    }
    if (wait_window) {
        fprintf(stderr, "wine-probe: no visible window with \"%s\" in its title after %s s; the windows:\n",
                argv[2], argv[3]);
        fflush(stderr);
        windows_with(NULL);
    } else {
        fprintf(stderr, "wine-probe: %s still runs after %s s:\n", argv[2], argv[3]);
        fflush(stderr);
        processes_named(text, 1);
    }
    return 1;
}
