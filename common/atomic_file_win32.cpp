// Atomic file replacement on Win32: a temporary file beside the target, written through to the
// disk, then ReplaceFileW (which keeps the target's attributes and security) or, for a new
// file, MoveFileExW.
// windows.h (winsock2.h) first: the other headers rely on its types.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <string>

#include "common/atomic_file.h"
#include "common/utf16_win32.h"

namespace setrion {
namespace {

using win32::pathText;
using win32::systemErrorText;
using win32::widePath;

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    bool close() {
        const bool ok = CloseHandle(h) != 0;
        h = INVALID_HANDLE_VALUE;
        return ok;
    }
};

// What is at a path, symlinks followed.
struct Existing {
    bool exists = false;
    bool regular = true;
    std::wstring finalPath;  // the file a symlink names; empty when not a link
};

Existing inspect(const std::wstring& path) {
    Existing e;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Device names (NUL, COM1) have no attributes on some systems but do open.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME)
            return e;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        e.exists = true;
        e.regular = false;
        return e;
    }
    // Opened for no access at all, only to learn what the name is.
    Handle f{CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE) {
        e.exists = attributes != INVALID_FILE_ATTRIBUTES;
        return e;
    }
    e.exists = true;
    BY_HANDLE_FILE_INFORMATION info{};
    e.regular = GetFileType(f.h) == FILE_TYPE_DISK && GetFileInformationByHandle(f.h, &info) &&
                !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (e.regular && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::wstring final(MAX_PATH, L'\0');
        DWORD n = GetFinalPathNameByHandleW(f.h, final.data(), static_cast<DWORD>(final.size()),
                                            FILE_NAME_NORMALIZED);
        if (n >= final.size()) {
            final.resize(n + 1);
            n = GetFinalPathNameByHandleW(f.h, final.data(), static_cast<DWORD>(final.size()),
                                          FILE_NAME_NORMALIZED);
        }
        if (n > 0 && n < final.size()) e.finalPath = final.substr(0, n);
    }
    return e;
}

// The SID of the user this process runs as, in its string form ("S-1-5-21-..."), or empty.
std::wstring currentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::wstring text;
    std::string buffer(size, '\0');
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        LPWSTR sid = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
            text = sid;
            LocalFree(sid);
        }
    }
    CloseHandle(token);
    return text;
}

// A security descriptor granting the user who writes the file alone full access, or null when
// the system cannot make one (the file is then created with the folder's inherited access).
// The user is named by SID rather than as "owner rights", which not every system honours.
PSECURITY_DESCRIPTOR ownerOnlyDescriptor() {
    const std::wstring user = currentUserSid();
    if (user.empty()) return nullptr;
    const std::wstring sddl = L"D:P(A;;FA;;;" + user + L")";
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd,
                                                              nullptr))
        return nullptr;
    return sd;
}

std::wstring temporaryName(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    const unsigned long long tag = (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
                                   GetTickCount64() ^ (counter.fetch_add(1) * 0x9E3779B9ULL);
    wchar_t suffix[16];
    swprintf(suffix, 16, L".%06llx", tag & 0xFFFFFFULL);
    return target + suffix;
}

}  // namespace

bool existsAsNonRegular(const std::filesystem::path& path) {
    const Existing e = inspect(widePath(path));
    return e.exists && !e.regular;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data,
                         std::string* error, FileAccess access, Durability durability) {
    const std::string name = pathText(path);
    std::wstring tmp;
    auto fail = [&](const std::string& what, DWORD code) {
        if (error) *error = what + ": " + systemErrorText(code);
        if (!tmp.empty()) DeleteFileW(tmp.c_str());
        return false;
    };
    const std::wstring given = widePath(path);
    const Existing existing = inspect(given);
    if (existing.exists && !existing.regular) {
        if (error) *error = name + ": not a regular file, not replaced";
        return false;
    }
    // The temporary file sits in the real target's folder, so the rename stays on one volume.
    const std::wstring target = existing.finalPath.empty() ? given : existing.finalPath;

    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, FALSE};
    PSECURITY_DESCRIPTOR sd = access == FileAccess::Private ? ownerOnlyDescriptor() : nullptr;
    sa.lpSecurityDescriptor = sd;
    const DWORD flags =
        FILE_ATTRIBUTE_NORMAL | (durability == Durability::Synced ? FILE_FLAG_WRITE_THROUGH : 0);
    Handle f;
    DWORD code = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 16 && f.h == INVALID_HANDLE_VALUE; ++attempt) {
        tmp = temporaryName(target);
        f.h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, &sa, CREATE_NEW, flags, nullptr);
        code = GetLastError();
        if (f.h == INVALID_HANDLE_VALUE && sd && code != ERROR_FILE_EXISTS &&
            code != ERROR_PATH_NOT_FOUND) {
            // A file system without access lists (FAT, some shares): no owner-only file there.
            f.h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags, nullptr);
            code = GetLastError();
        }
        if (f.h == INVALID_HANDLE_VALUE && code != ERROR_FILE_EXISTS) break;
    }
    if (sd) LocalFree(sd);
    if (f.h == INVALID_HANDLE_VALUE) {
        tmp.clear();  // nothing was created
        return fail("cannot create " + name, code);
    }
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(f.h, data.data() + done, chunk, &written, nullptr) || written == 0) {
            code = GetLastError();
            f.close();
            return fail("cannot write " + name, code);
        }
        done += written;
    }
    if (durability == Durability::Synced && !FlushFileBuffers(f.h)) {
        code = GetLastError();
        f.close();
        return fail("cannot write " + name, code);
    }
    if (!f.close()) return fail("cannot write " + name, GetLastError());

    if (existing.exists && ReplaceFileW(target.c_str(), tmp.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    // A new file, or one that went away meanwhile: a plain rename, written through.
    if (!MoveFileExW(tmp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail("cannot replace " + name, GetLastError());
    return true;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string* error, FileAccess access, Durability durability) {
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error, access,
        durability);
}

}  // namespace setrion
