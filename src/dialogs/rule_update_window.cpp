#include "dialogs/rule_update_window.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/translation.h"
#include "toolkit/dpi.h"
#include "toolkit/list_view.h"
#include "toolkit/messages.h"
#include "toolkit/theme.h"

namespace dialogs {

using catalogue::rules::UpdateStage;

struct RulesDownloadTask::State {
  explicit State(std::wstring folder) : programFolder(std::move(folder)) {}
  const std::wstring programFolder;
  std::atomic<bool> stop{false};
  std::atomic<bool> finished{false};
  std::mutex progress;  // guards the three below, which change together, and a stop against the end
  UpdateStage stage = UpdateStage::Downloading;
  unsigned long long done = 0;
  long long total = -1;
  catalogue::rules::RulesDownload result;  // written before `finished`
};

namespace {

// Whether the window would show the step: a new stage, the end of one, its next thousandth or, of an
// unknown total, its next kilobyte.
bool Shows(UpdateStage stage, unsigned long long done, long long total, UpdateStage wasStage, unsigned long long was) {
  if (stage != wasStage || done == 0 || done == static_cast<unsigned long long>(total)) return true;
  if (total <= 0) return done / 1024 != was / 1024;
  return done * 1000 / total != was * 1000 / total;
}

// An update stopped after its last step: what it left waiting is not wanted either.
void Unwanted(catalogue::rules::RulesDownload& result, const std::wstring& programFolder) {
  if (!result.pending) return;
  catalogue::rules::DiscardPendingRules(programFolder);
  result = {};
  result.stopped = true;
  result.problem = platform::Tr(L"the update was stopped");
}

}  // namespace

UINT RulesDownloadTask::Message() {
  static const UINT message = RegisterWindowMessageW(L"Trellwipe.RulesDownload");
  return message;
}

RulesDownloadTask::RulesDownloadTask(HWND window, std::wstring programFolder, std::wstring url,
                                     platform::DownloadLimits limits)
    : state_(std::make_shared<State>(std::move(programFolder))) {
  thread_ = std::thread([state = state_, window, url = std::move(url), limits] {
    auto progress = [&](UpdateStage stage, unsigned long long done, long long total) {
      bool shows;
      {
        std::lock_guard<std::mutex> lock(state->progress);
        shows = Shows(stage, done, total, state->stage, state->done);
        state->stage = stage;
        state->done = done;
        state->total = total;
      }
      if (shows) PostMessageW(window, Message(), kProgress, 0);
      return !state->stop;
    };
    catalogue::rules::RulesDownload result =
        catalogue::rules::DownloadCommunityRules(state->programFolder, url, limits, progress);
    {
      std::lock_guard<std::mutex> lock(state->progress);
      if (state->stop) Unwanted(result, state->programFolder);
      state->result = std::move(result);
      state->finished = true;
    }
    PostMessageW(window, Message(), kFinished, 0);
  });
}

RulesDownloadTask::~RulesDownloadTask() {
  state_->stop = true;  // what a finished update left waiting stays for the user's word
  if (state_->finished) {
    thread_.join();
  } else {
    thread_.detach();
  }
}

void RulesDownloadTask::Stop() {
  std::lock_guard<std::mutex> lock(state_->progress);
  state_->stop = true;
  if (state_->finished) Unwanted(state_->result, state_->programFolder);
}
bool RulesDownloadTask::Stopped() const { return state_->stop; }
bool RulesDownloadTask::Finished() const { return state_->finished; }
unsigned long long RulesDownloadTask::Done() const {
  std::lock_guard<std::mutex> lock(state_->progress);
  return state_->done;
}
long long RulesDownloadTask::Total() const {
  std::lock_guard<std::mutex> lock(state_->progress);
  return state_->total;
}

std::wstring RulesDownloadTask::ProgressText() const {
  std::lock_guard<std::mutex> lock(state_->progress);
  return RulesProgressText(state_->stage, state_->done, state_->total);
}

std::wstring RulesProgressText(UpdateStage stage, unsigned long long done, long long total) {
  const bool bytes = stage == UpdateStage::Downloading;
  auto count = [&](unsigned long long n) { return std::to_wstring(bytes ? n / 1024 : n); };
  // By what is counted, then by whether the total is known.
  const wchar_t* const forms[2][2] = {{platform::Tr(L"{done} entries"), platform::Tr(L"{done} of {total} entries")},
                                      {platform::Tr(L"{done} KB"), platform::Tr(L"{done} of {total} KB")}};
  const std::wstring counted =
      platform::Fill(forms[bytes][total >= 0],
                     {{L"done", count(done)},
                      {L"total", count(static_cast<unsigned long long>(std::max(total, 0LL)))}});
  switch (stage) {
    case UpdateStage::Downloading:
      return platform::Fill(platform::Tr(L"Downloading: {counted}"), {{L"counted", counted}});
    case UpdateStage::Reading: return platform::Tr(L"Reading the rules");
    case UpdateStage::Comparing: return platform::Fill(platform::Tr(L"Comparing: {counted}"), {{L"counted", counted}});
  }
  return {};
}

const catalogue::rules::RulesDownload& RulesDownloadTask::Result() const { return state_->result; }

namespace {

constexpr toolkit::ListColumn kColumns[] = {{platform::TrLater(L"Entry"), 230},
                                            {platform::TrLater(L"Change"), 70},
                                            {platform::TrLater(L"Applies here"), 80},
                                            {platform::TrLater(L"Marks"), 600}};

std::wstring Marks(const catalogue::rules::RuleChange& change) {
  catalogue::rules::RuleChange marked = change;
  marked.appliesHere = false;  // a column of its own
  std::wstring text;
  for (const std::wstring& mark : catalogue::rules::ChangeMarks(marked)) text += (text.empty() ? L"" : L"; ") + mark;
  return text;
}

}  // namespace

RuleChangesWindow::RuleChangesWindow(std::wstring programFolder, catalogue::rules::RulesDownload download)
    : Dialog(programFolder, {{kUseId, BN_CLICKED, [this] { UseNewRules(); }},
                             {IDCANCEL, BN_CLICKED,
                              [this] {
                                catalogue::rules::DiscardPendingRules(programFolder_);
                                Close(IDCANCEL);
                              }}}),
      programFolder_(std::move(programFolder)),
      download_(std::move(download)) {}

toolkit::DialogTemplate RuleChangesWindow::Template() const {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  toolkit::DialogTemplate dialog(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 400, 240,
                                 platform::TrLater(L"New rules"));
  dialog.Item(toolkit::kStaticClass, SS_LEFT, L"", 7, 7, 386, 30, toolkit::kNoId);
  dialog.Item(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
              platform::TrLater(L"Changes"), 7, 40, 386, 172, kListId);
  dialog.Item(toolkit::kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, platform::TrLater(L"&Use the new rules"), 253, 219, 80,
              14, kUseId);
  dialog.Item(toolkit::kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, platform::TrLater(L"Cancel"), 339, 219, 54, 14,
              IDCANCEL);
  return dialog;
}

void RuleChangesWindow::Load() {
  HWND summary = GetWindow(Handle(), GW_CHILD);
  const std::wstring text = platform::Fill(
      platform::Tr(L"The downloaded winapp2.ini has {new} entries, the one in place {old}: {changes}. Nothing changes "
                   L"until you press \"Use the new rules\"; ticked entries that erase more are then unticked."),
      {{L"new", std::to_wstring(download_.newEntries)},
       {L"old", std::to_wstring(download_.oldEntries)},
       {L"changes", catalogue::rules::ChangeSummary(download_.changes)}});
  SetWindowTextW(summary, text.c_str());
  HWND list = List();
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  const UINT dpi = toolkit::WindowDpi(list);
  toolkit::AddListColumns(list, kColumns, dpi);
  for (const catalogue::rules::RuleChange& change : download_.changes) {
    const int row = toolkit::AppendListRow(list, change.name);
    const std::wstring cells[] = {catalogue::rules::ChangeKindName(change.kind),
                                  change.kind == catalogue::rules::ChangeKind::Removed ? L""
                                  : change.appliesHere                                 ? platform::Tr(L"yes")
                                                                                       : platform::Tr(L"no"),
                                  Marks(change)};
    for (int column = 1; column <= 3; ++column) toolkit::SetListCellText(list, row, column, cells[column - 1]);
  }
  // A name or a refusal's path may be long: the list scrolls sideways rather than cut it.
  for (int column : {0, 3}) {
    const int least = toolkit::Scale(kColumns[column].width, dpi);
    ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE);
    if (ListView_GetColumnWidth(list, column) < least) ListView_SetColumnWidth(list, column, least);
  }
}

COLORREF RuleChangesWindow::RowColour(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= download_.changes.size()) return CLR_DEFAULT;
  return catalogue::rules::Alarming(download_.changes[row]) ? toolkit::PaletteOf(toolkit::ThemeInForce()).alarm
                                                            : CLR_DEFAULT;
}

INT_PTR RuleChangesWindow::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return FALSE;
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
  if (draw->nmcd.hdr.idFrom != kListId || draw->nmcd.hdr.code != NM_CUSTOMDRAW) return FALSE;
  LRESULT answer = CDRF_DODEFAULT;
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) answer = CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
    const COLORREF colour = RowColour(static_cast<int>(draw->nmcd.dwItemSpec));
    if (colour != CLR_DEFAULT) draw->clrText = colour;
  }
  SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, answer);
  return TRUE;
}

void RuleChangesWindow::UseNewRules() {
  acceptance_ = catalogue::rules::AcceptPendingRules(programFolder_);
  if (!acceptance_.installed) {
    toolkit::Tell(Handle(), platform::Fill(platform::Tr(L"The new rules were not put in place: {problem}. {rules}"),
                                           {{L"problem", acceptance_.problem},
                                            {L"rules", catalogue::rules::RulesInPlaceText(programFolder_)}}));
  }
  Close(acceptance_.installed ? IDOK : IDCANCEL);
}

bool ReviewRuleChanges(HWND owner, const std::wstring& programFolder, const catalogue::rules::RulesDownload& download) {
  return RuleChangesWindow(programFolder, download).ShowModal(owner) == IDOK;
}

}  // namespace dialogs
