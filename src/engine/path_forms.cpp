// The forms of a path the guard decides on: canonical, exact, and where its links lead.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "engine/guard_memo.h"
#include "engine/path_guard.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace engine {

using namespace guarding;

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveAbsolute(const std::wstring& p) {
  return p.size() >= 3 && std::iswalpha(p[0]) && p[1] == L':' && IsSeparator(p[2]);
}

bool IsUncPath(const std::wstring& p) {
  return p.size() > 2 && IsSeparator(p[0]) && IsSeparator(p[1]) && p[2] != L'?' && p[2] != L'.';
}

// "\\?\C:\x" is "C:\x" and "\\?\UNC\server\share" is "\\server\share" to the guard.
std::wstring WithoutExtendedPrefix(const std::wstring& p) {
  if (p.size() < 4 || !IsSeparator(p[0]) || !IsSeparator(p[1]) || p[2] != L'?' || !IsSeparator(p[3])) return p;
  std::wstring rest = p.substr(4);
  if (rest.size() >= 4 && platform::EqualsNoCase(rest.substr(0, 3), L"UNC") && IsSeparator(rest[3])) {
    return L"\\\\" + rest.substr(4);
  }
  return rest;
}

using platform::FullPathName;
using platform::RootLength;

// The root with its separator, then the parts with their trailing dots and blanks dropped: the last
// part only, as Windows drops them, or every part; parts left empty vanish.
std::wstring TrimmedParts(const std::wstring& full, size_t root, bool everyPart) {
  std::wstring result = full.substr(0, root);
  if (!result.empty() && result.back() != L'\\') result += L'\\';
  size_t start = root;
  while (start < full.size()) {
    size_t end = full.find(L'\\', start);
    if (end == std::wstring::npos) end = full.size();
    std::wstring part = full.substr(start, end - start);
    if (everyPart || end >= full.find_last_not_of(L"\\. ")) {
      while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
    }
    if (!part.empty()) {
      if (result.back() != L'\\') result += L'\\';
      result += part;
    }
    start = end + 1;
  }
  return result;
}

// The path with its last part as its folder lists it, by its long name: what GetLongPathNameW asks
// of each part, asked in the literal form, so that a part's own trailing dots and blanks count. A
// part with a wildcard names no one entry.
std::optional<std::wstring> ListedName(const std::wstring& path, GuardMemo& memo) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos || path.find_first_of(L"*?<>\"", slash) != std::wstring::npos) return std::nullopt;
  if (memo.listings) {
    const ListedNames::Answer listed = memo.listings->Of(path.substr(0, std::max(slash, RootLength(path))))
                                           .Find(std::wstring_view(path).substr(slash + 1));
    if (listed.entry) return path.substr(0, slash + 1) + listed.entry->name;
    if (listed.certain) {
      memo.missing.insert(path);
      return std::nullopt;
    }
  }
  WIN32_FIND_DATAW data;
  platform::FindHandle find(
      FindFirstFileExW(platform::ApiPath(path).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    if (IsMissing(GetLastError())) memo.missing.insert(path);
    return std::nullopt;
  }
  return path.substr(0, slash + 1) + data.cFileName;
}

// The long names of the longest part of the path that exists, and the rest as written. Each part is
// asked once per memo, below the long form of the parts before it.
std::wstring WithLongNames(const std::wstring& path, size_t root, GuardMemo& memo) {
  std::wstring resolved = path.substr(0, root);
  bool found = true;
  for (size_t start = root; start < path.size();) {
    const size_t end = std::min(path.find(L'\\', start), path.size());
    if (end > start) {
      std::wstring asked = resolved;
      if (!asked.empty() && asked.back() != L'\\') asked += L'\\';
      asked.append(path, start, end - start);
      const std::optional<std::wstring>* listed =
          found ? &Remembered(memo.longNames, asked, [&] { return ListedName(asked, memo); }) : nullptr;
      found = listed && *listed;
      resolved = found ? **listed : std::move(asked);
    }
    start = end + 1;
  }
  return resolved;
}

// Where the open object is, by its drive or share path; empty when the system cannot tell.
std::wstring FinalDrivePath(HANDLE handle) {
  std::wstring buffer(32768, L'\0');
  DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), 32768, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= 32768) return {};
  buffer.resize(n);
  std::wstring target = WithoutExtendedPrefix(buffer);
  return IsDriveAbsolute(target) || IsUncPath(target) ? target : std::wstring();
}

// Where the path leads once every link on its way is followed; empty when the system cannot tell or
// the target has no drive or share path.
std::optional<std::wstring> FinalPath(const std::wstring& path) {
  platform::FileHandle handle(CreateFileW(platform::ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  return FinalDrivePath(handle.get());
}

}  // namespace

namespace guarding {

bool KnownMissing(const std::wstring& path, const GuardMemo& memo) {
  if (memo.missing.empty()) return false;
  if (memo.missing.contains(path)) return true;
  for (size_t slash = path.find_last_of(L'\\'); slash != std::wstring::npos && slash > 0;
       slash = path.find_last_of(L'\\', slash - 1)) {
    if (memo.missing.contains(path.substr(0, slash))) return true;
  }
  return false;
}

std::wstring LinkTarget(const std::wstring& canonical, size_t root, GuardMemo& memo) {
  std::wstring existing = canonical;
  std::wstring rest;
  for (;;) {
    const std::optional<std::wstring>& target = Remembered(memo.finalPaths, existing, [&] {
      return KnownMissing(existing, memo) ? std::nullopt : FinalPath(existing);
    });
    if (target) return target->empty() ? std::wstring() : platform::JoinPath(*target, rest);
    size_t slash = existing.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash < root) return {};
    rest = existing.substr(slash + 1) + (rest.empty() ? L"" : L"\\" + rest);
    existing.resize(slash);
  }
}

// `everyPart` trims the trailing dots and blanks of every part, not only of the last one: a stricter
// form for the guard to decide on, which may name another folder than the one Windows would open.
std::wstring Canonical(const std::wstring& path, bool everyPart, GuardMemo& memo) {
  std::wstring plain = WithoutExtendedPrefix(path);
  if (!IsDriveAbsolute(plain) && !IsUncPath(plain)) return {};
  std::wstring full = FullPathName(plain);
  if (!IsDriveAbsolute(full) && !IsUncPath(full)) return {};
  size_t root = RootLength(full);
  if (root == 0) return {};
  if (IsDriveAbsolute(full)) full[0] = static_cast<wchar_t>(std::towupper(full[0]));
  std::wstring canonical = WithLongNames(TrimmedParts(full, root, everyPart), root, memo);
  // A share root keeps no separator at its end, a drive root keeps its one.
  while (canonical.size() > 3 && canonical.back() == L'\\') canonical.pop_back();
  return canonical;
}

std::wstring Exact(const std::wstring& path, GuardMemo& memo) {
  std::wstring plain = WithoutExtendedPrefix(path);
  std::replace(plain.begin(), plain.end(), L'/', L'\\');
  if (!IsDriveAbsolute(plain) && !IsUncPath(plain)) return {};
  size_t root = RootLength(plain);
  if (root == 0) return {};
  if (IsDriveAbsolute(plain)) plain[0] = static_cast<wchar_t>(std::towupper(plain[0]));
  std::wstring rootText = plain.substr(0, root);
  if (rootText.back() != L'\\') rootText += L'\\';
  std::vector<std::wstring> parts;
  for (size_t start = root; start < plain.size();) {
    size_t end = std::min(plain.find(L'\\', start), plain.size());
    std::wstring part = plain.substr(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  std::wstring exact = rootText;
  for (const std::wstring& part : parts) exact = platform::JoinPath(exact, part);
  exact = WithLongNames(exact, rootText.size(), memo);
  while (exact.size() > 3 && exact.back() == L'\\') exact.pop_back();
  return exact;
}

std::wstring CanonicalTarget(const std::wstring& path, GuardMemo& memo) {
  return Canonical(LinkTarget(path, RootLength(path), memo), false, memo);
}

}  // namespace guarding

std::wstring CanonicalPath(const std::wstring& path) {
  GuardMemo memo;
  return Canonical(path, false, memo);
}

std::wstring ExactPath(const std::wstring& path) {
  GuardMemo memo;
  return Exact(path, memo);
}

namespace {

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring LeadsTo(const std::wstring& full) {
  GuardMemo memo;
  std::wstring target = LinkTarget(full, RootLength(full), memo);
  return target.empty() ? full : WithoutTrailingSeparators(std::move(target));
}

}  // namespace

std::wstring IdentityPath(const std::wstring& path) {
  std::wstring canonical = CanonicalPath(path);
  return canonical.empty() ? canonical : LeadsTo(canonical);
}

const std::wstring& WalkedFolders::LeadsTo(const std::wstring& file) {
  // A root keeps its separator.
  std::wstring folder = file.substr(0, std::max<size_t>(file.find_last_of(L'\\'), 3));
  if (folder != folder_) {
    leadsTo_ = engine::LeadsTo(folder);
    folder_ = std::move(folder);
  }
  return leadsTo_;
}

std::wstring FolderLeadsTo(const std::wstring& folder, HANDLE opened) {
  std::wstring target = FinalDrivePath(opened);
  return target.empty() ? folder : WithoutTrailingSeparators(std::move(target));
}

}  // namespace engine
