// The setup program's and the uninstaller's window: one page at a time, Back, Next and Cancel.
#pragma once

#include "setup/Installer.h"
#include "ui/Dialog.h"

namespace setup {

class SetupWizard : public ui::Dialog, private Progress {
 public:
  enum class Page { Welcome, Components, Folder, Installing, Finish, Confirm, Removing };

  // Installs, with log-on start checked or not, or with `uninstall` removes the install in
  // `folder`; `waiting` tells that the installed uninstaller waits for this copy.
  SetupWizard(bool uninstall, const char* folder, bool startAtLogOn, bool waiting);
  ~SetupWizard() override;

  // The program's exit status once the window has closed (ExitStatus).
  int ExitCode() const { return exitCode_; }
  // What the uninstall left for FinishUninstall.
  const PathText& Later() const { return later_; }

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
  void WorkDone(UINT heading, UINT text, UINT button);
  void SetText(int id, const char* text);
  void SetText(int id, UINT text);
  LongText Caption() const;
  bool FolderAccepted();
  void Pump();

  static const ui::MessageEntry<SetupWizard> Messages[];

  bool uninstall_;
  Page page_;
  PathText folder_;
  bool startAtLogOn_;
  bool waiting_;
  bool working_ = false;
  bool failed_ = false;
  int exitCode_ = Cancelled;
  int outcome_ = Done;
  PathText later_;
  HFONT headingFont_ = nullptr;
  int logWidth_ = 0;
};

}  // namespace setup
