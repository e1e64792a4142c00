// Every text the user can see, in one place. The Japanese texts are exact to the
// character: the ideographic space U+3000, the full-width "？" U+FF1F and "！" U+FF01.
#pragma once

namespace kavolt::text {

// Main window.
inline constexpr wchar_t kLayoutCaption[] = L"最前面";  // replaced by "最前面 1.31." at start-up
inline constexpr wchar_t kOptSet[] = L"設定";
inline constexpr wchar_t kOptRelease[] = L"解除";
inline constexpr wchar_t kOptIdle[] = L"---";
inline constexpr wchar_t kOptCancel[] = L"取消";  // Opt(2) while a pick mode is armed
inline constexpr wchar_t kTipSet[] = L"最前面に設定します";
inline constexpr wchar_t kTipRelease[] = L"解除します";
inline constexpr wchar_t kTipIdle[] = L"処理をキャンセルします";
inline constexpr wchar_t kChkTran[] = L"透明";
inline constexpr wchar_t kChkStart[] = L"Start";

// Single-instance refusal: "既に" + layout caption + "は起動中です。".
inline constexpr wchar_t kAlreadyRunningHead[] = L"既に";
inline constexpr wchar_t kAlreadyRunningTail[] = L"は起動中です。";
inline constexpr wchar_t kAlreadyRunningTitle[] = L"二重起動";

// Guide window hints.
inline constexpr wchar_t kGuideSet[] = L"最前面にしたい\r\nウィンドウをクリック！";
inline constexpr wchar_t kGuideRelease[] = L"解除したい\r\nウィンドウをクリック！";

// Confirmation questions: target title + CR LF + one of these.
inline constexpr wchar_t kAskSet[] = L"を最前面に設定。　OK？";
inline constexpr wchar_t kAskRelease[] = L"の最前面設定を解除。　OK？";
inline constexpr wchar_t kOk[] = L"Ok";
inline constexpr wchar_t kCancel[] = L"Cancel";

// Status words kept in the hidden status label.
inline constexpr wchar_t kStatusSet[] = L"最前面に設定";
inline constexpr wchar_t kStatusRelease[] = L"解除";

// A change that the window system refused: target title + CR LF + one of these.
inline constexpr wchar_t kFailureTitle[] = L"最前面";
inline constexpr wchar_t kFailSet[] = L"を最前面に設定できませんでした。";
inline constexpr wchar_t kFailRelease[] = L"の最前面設定を解除できませんでした。";

// Fonts of the layouts.
inline constexpr wchar_t kFontGothic[] = L"ＭＳ ゴシック";
inline constexpr wchar_t kFontPGothic[] = L"ＭＳ Ｐゴシック";

// Cursor files, relative to the executable's folder.
inline constexpr wchar_t kCursorSetFile[] = L"cursor\\set.cur";
inline constexpr wchar_t kCursorReleaseFile[] = L"cursor\\reset.cur";

}  // namespace kavolt::text
