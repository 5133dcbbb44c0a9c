#pragma once
// What every erasure primitive is handed by its caller: where to yield, whether to erase or only
// look, whether to overwrite files first, and where to record what was (or would be) erased.
#include <functional>
#include <string>

#include "engine/run_report.h"

namespace engine {

enum class EraseMode {
  Erase,    // delete, and record what went and what stayed
  Preview,  // delete nothing, write nothing, start nothing; record what exists and would go
};

struct EraseContext {
  // Lets the window process pending messages; the name-matching walks call it after each file.
  std::function<void()> pump;
  EraseMode mode = EraseMode::Erase;
  // Overwrite a file's content with zeros before deleting it (real erasure only).
  bool secure = false;
  // Receives the records of the item being run; none outside a run.
  RunRecorder* recorder = nullptr;

  void Pump() const {
    if (pump) pump();
  }
  bool Previewing() const { return mode == EraseMode::Preview; }
  bool Overwriting() const { return secure && mode == EraseMode::Erase; }

  void File(const std::wstring& path, double size) const {
    if (recorder) recorder->File(path, size);
  }
  void Folder(const std::wstring& path) const {
    if (recorder) recorder->Folder(path);
  }
  void Key(const std::wstring& path) const {
    if (recorder) recorder->Key(path);
  }
  void Value(const std::wstring& key, const std::wstring& name) const {
    if (recorder) recorder->Value(key, name);
  }
  void Step(const std::wstring& description) const {
    if (recorder) recorder->Step(description);
  }
  void LeftBehind(const std::wstring& path, const std::wstring& reason) const {
    if (recorder) recorder->LeftBehind(path, reason);
  }
  // Records a step that runs a command, empties the clipboard or the recycle bin..., and says
  // whether it may really be done now.
  bool Perform(const std::wstring& description) const {
    Step(description);
    return !Previewing();
  }
};

}  // namespace engine
