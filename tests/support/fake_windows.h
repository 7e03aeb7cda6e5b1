// The whole scripted machine for host tests: one fake per part of the seam, one shared journal, and
// the Platform bundle the code under test takes.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/fake_files.h"
#include "support/fake_journal.h"
#include "support/fake_registry.h"
#include "support/fake_machine.h"
#include "support/fake_processes.h"
#include "support/fake_ui.h"

namespace velora::fakes {

/// Records the progress window's operations as "show|title|text", "hide", "title|t", "text|t".
class FakeProgressWindow final : public platform::ProgressWindowApi {
 public:
  explicit FakeProgressWindow(Journal& journal) : journal_(journal) {}
  std::vector<std::string> calls;

  platform::WinError Show(const std::string& title, const std::string& text) override {
    return Record("show|" + title + "|" + text);
  }
  platform::WinError Hide() override { return Record("hide"); }
  platform::WinError SetTitle(const std::string& title) override { return Record("title|" + title); }
  platform::WinError SetText(const std::string& text) override { return Record("text|" + text); }

 private:
  platform::WinError Record(std::string call) {
    journal_.push_back("Progress " + call);
    calls.push_back(std::move(call));
    return 0;
  }
  Journal& journal_;
};

class FakeWindows {
 public:
  FakeWindows() = default;
  FakeWindows(const FakeWindows&) = delete;
  FakeWindows& operator=(const FakeWindows&) = delete;

  Journal journal;
  FakeRegistry registry{journal};
  FakeFiles files{journal};
  FakeUi ui{journal};
  FakeDesktop desktop{journal};
  FakeProgressWindow progress{journal};
  FakeMachine machine{journal};
  FakeText text;
  FakeOwnModule ownModule{journal};
  FakeProgramFiles programFiles{journal};
  FakeProcesses processes{journal};
  FakeTokens tokens{journal};
  FakeSessions sessions{journal};
  platform::Platform platform{registry, files,     ui,           desktop,   progress, machine,
                              text,     ownModule, programFiles, processes, tokens,   sessions};
};

}  // namespace velora::fakes
