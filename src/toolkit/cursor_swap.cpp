#include "toolkit/cursor_swap.h"

#include <atomic>
#include <utility>

#include "toolkit/cursor_image.h"
#include "toolkit/executable_folder.h"
#include "toolkit/handle.h"
#include "toolkit/registry_text.h"

namespace kavolt {
namespace {

CursorCalls calls = RealCursorCalls();
HCURSOR savedArrow = nullptr;
// Set while the system arrow is a cursor that Kavolt loaded from a file. Atomic: the
// crash guard reads it on whichever thread crashed.
std::atomic<bool> arrowSwapped = false;
// While swapped, the arrow Kavolt replaced loaded afresh from the file the user's cursor
// scheme names, when it was that file's: unlike a copy, it keeps every frame and size.
// Loaded at the swap, so that the put-back before the question reads no file.
HCURSOR schemeArrow = nullptr;

// Lets a person (and the tests) follow the system-arrow changes in a debugger's log.
void Trace(std::wstring_view what) {
  std::wstring line = L"kavolt: system arrow <- ";
  line.append(what);
  line.push_back(L'\n');
  ::OutputDebugStringW(line.c_str());
}

std::wstring BesideExecutable(std::wstring_view relativeName) {
  std::wstring path = ExecutableFolder();
  path.push_back(L'\\');
  path.append(relativeName);
  return path;
}

// SetSystemCursor takes over only a cursor it accepts; a refused one is still ours.
bool HandToSystem(HCURSOR cursor) {
  if (calls.setSystemCursor(cursor, OCR_NORMAL)) return true;
  if (cursor != nullptr) calls.destroyCursor(cursor);
  return false;
}

// At the arrow's size: the system may have scaled the cursor it was given. An animated
// cursor compares by its first frame.
bool ArrowShows(const CursorImage& arrow, const std::wstring& path) {
  const UniqueCursor file(static_cast<HCURSOR>(::LoadImageW(
      nullptr, path.c_str(), IMAGE_CURSOR, arrow.width, arrow.height, LR_LOADFROMFILE)));
  return ReadCursorImage(file.get()) == arrow;
}

// The arrow's file in the user's cursor scheme, when the arrow shows it now.
std::wstring SchemeArrowShown() {
  const std::optional<std::wstring> value =
      ReadRegistryText(HKEY_CURRENT_USER, L"Control Panel\\Cursors", L"Arrow");
  // An empty value is the system's own arrow, which no file holds.
  if (!value || value->empty()) return {};
  const std::wstring path = ExpandEnvironment(*value);
  const std::optional<CursorImage> arrow = ReadCursorImage(calls.loadCursor(nullptr, IDC_ARROW));
  return arrow && ArrowShows(*arrow, path) ? path : std::wstring();
}

bool IsNormalFile(const std::wstring& path) {
  WIN32_FIND_DATAW found{};
  UniqueFind search(::FindFirstFileExW(path.c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0));
  if (!search) return false;
  constexpr DWORD kNotNormal =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  return (found.dwFileAttributes & kNotNormal) == 0;
}

}  // namespace

CursorCalls RealCursorCalls() {
  return CursorCalls{::SetSystemCursor, ::LoadCursorFromFileW, ::CopyIcon,
                     ::CopyImage,       ::LoadCursorW,         ::DestroyCursor,
                     ::SystemParametersInfoW};
}

void UseCursorCalls(const CursorCalls& replacement) { calls = replacement; }

HCURSOR SavedArrowCursor() { return savedArrow; }

void PutBackArrowLeftByKavolt(std::initializer_list<std::wstring_view> cursorFiles) {
  const std::optional<CursorImage> arrow = ReadCursorImage(calls.loadCursor(nullptr, IDC_ARROW));
  if (!arrow) return;
  for (std::wstring_view name : cursorFiles) {
    if (ArrowShows(*arrow, BesideExecutable(name))) {
      calls.systemParametersInfo(SPI_SETCURSORS, 0, nullptr, 0);
      Trace(L"the user's cursor scheme");
      return;
    }
  }
}

void TakeArrowCopy() {
  const HCURSOR shown = calls.loadCursor(nullptr, IDC_ARROW);
  // At the default size, as the system loads a scheme's cursors. A run-time arrow's source
  // may be another picture: the standard arrow's, whose shared handle it took over.
  auto copy = static_cast<HCURSOR>(
      calls.copyImage(shown, IMAGE_CURSOR, 0, 0, LR_COPYFROMRESOURCE | LR_DEFAULTSIZE));
  if (copy != nullptr) {
    const std::optional<CursorImage> picture = ReadCursorImage(shown);
    if (!picture || ReadCursorImage(copy) != picture) {
      calls.destroyCursor(std::exchange(copy, nullptr));
    }
  }
  if (copy == nullptr) copy = calls.copyIcon(shown);
  if (HCURSOR replaced = std::exchange(savedArrow, copy)) calls.destroyCursor(replaced);
}

void SwapArrowCursor(std::wstring_view relativeName) {
  const std::wstring path = BesideExecutable(relativeName);
  if (!IsNormalFile(path)) return;
  HCURSOR cursor = calls.loadCursorFromFile(path.c_str());
  if (cursor == nullptr) return;
  // The arrow as the user has it now: a mode switch first puts the user's back. While
  // the system refuses that, the arrow is still Kavolt's, and the copy taken before stays.
  RestoreArrowCursor();
  std::wstring scheme;
  if (!arrowSwapped) {
    TakeArrowCopy();
    scheme = SchemeArrowShown();
  }
  // Never swap what could not be put back.
  if (savedArrow == nullptr) {
    calls.destroyCursor(cursor);
    return;
  }
  if (!HandToSystem(cursor)) return;
  arrowSwapped = true;
  Trace(path);
  if (!scheme.empty()) schemeArrow = calls.loadCursorFromFile(scheme.c_str());
}

void RestoreArrowCursor() {
  if (!arrowSwapped) return;
  // A scheme's arrow that did not load, or that the system refused, leaves the copy.
  if (schemeArrow != nullptr && HandToSystem(std::exchange(schemeArrow, nullptr))) {
    Trace(L"the cursor scheme's arrow file");
    arrowSwapped = false;
    calls.destroyCursor(std::exchange(savedArrow, nullptr));  // the copy, still ours
    return;
  }
  // A refused copy stays saved, and the swap recorded, for the close or the crash guard.
  if (!calls.setSystemCursor(savedArrow, OCR_NORMAL)) return;
  Trace(L"saved copy");
  arrowSwapped = false;
  savedArrow = nullptr;  // the system's now
}

void RestoreArrowCursorIfSwapped() noexcept {
  // The process may be dying of a broken heap or with a lock held: no allocation,
  // nothing but the one call that puts the arrow back.
  if (!arrowSwapped.exchange(false)) return;
  calls.setSystemCursor(std::exchange(savedArrow, nullptr), OCR_NORMAL);
  ::OutputDebugStringA("kavolt: system arrow <- saved copy\n");
}

}  // namespace kavolt
