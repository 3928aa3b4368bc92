#pragma once
// Ctrl+C while an operation that must not be cut short runs: caught instead
// of ending ztcli, so that the operation can be stopped at a safe point. A
// second Ctrl+C ends ztcli at once, as it would have without.

namespace zt::cli {

class CtrlCCatcher {
  public:
    CtrlCCatcher();   // catches from here on
    ~CtrlCCatcher();  // Ctrl+C is handled as before again
    CtrlCCatcher(const CtrlCCatcher&) = delete;
    CtrlCCatcher& operator=(const CtrlCCatcher&) = delete;

    // Whether Ctrl+C was pressed since the catcher was made; from any thread.
    bool Caught() const;

  private:
    void (*previous_)(int);
};

}  // namespace zt::cli
