// The setup program's and the uninstaller's window: one page at a time, Back, Next and Cancel.
#pragma once

#include "setup/Installer.h"
#include "ui/Dialog.h"

namespace setup {

class SetupWizard : public ui::Dialog, private Progress {
 public:
  enum class Page { kWelcome, kComponents, kFolder, kInstalling, kFinish, kConfirm, kRemoving };

  // Installs, or with `uninstall` removes the install in `folder`.
  SetupWizard(bool uninstall, const char* folder);
  ~SetupWizard() override;

  // The program's exit code once the window has closed: 0 done, 1 cancelled, 2 failed.
  int ExitCode() const { return exitCode_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void Step(const char* line, int done, int total) override;
  bool Retry(const char* text) override;

  INT_PTR BackCommand(WPARAM wParam, LPARAM lParam);
  INT_PTR BrowseCommand(WPARAM wParam, LPARAM lParam);
  INT_PTR WorkMessage(WPARAM wParam, LPARAM lParam);

  void ShowPage(Page page);
  void WorkDone(const char* heading, const char* text, const char* button);
  void SetText(int id, const char* text);
  const char* Caption() const;
  void Pump();

  static const ui::MessageEntry<SetupWizard> kMessages[];

  bool uninstall_;
  Page page_;
  ui::PathText folder_;
  bool startAtLogOn_ = true;
  bool working_ = false;
  bool failed_ = false;
  int exitCode_ = 1;
  HFONT headingFont_ = nullptr;
  int logWidth_ = 0;
};

}  // namespace setup
