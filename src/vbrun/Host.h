#pragma once

#include <QString>

namespace vbrun {

// What a run needs from its surroundings: where Debug.Print lines go and how a
// MsgBox is shown. The Immediate window, the headless runner and the tests each
// provide one.
class Host {
  public:
    virtual ~Host() = default;
    // One finished line of Debug.Print output, without its line break.
    virtual void print(const QString& line) = 0;
    // MsgBox prompt, buttons, title; returns the button pressed (vbOK 1, vbYes 6 ...).
    virtual int msgBox(const QString& prompt, int buttons, const QString& title) = 0;
    // Called about every 20 ms of a long run, so a host that runs the code on
    // its own thread's event loop can let the user press Stop (slices).
    virtual void idle() {}
};

}  // namespace vbrun
