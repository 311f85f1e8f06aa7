#pragma once
// The responder chain: an event a responder does not use goes to its next responder (a view's
// superview, then the window), which is how a host sees the keys its plug-in's view leaves alone.
// Responders are shared-owned so that one stays alive while a method runs on it.

#include <memory>

#include "platform/AppKit/NSEvent.h"
#include "platform/ObjC/NSObject.h"

class NSResponder : public platform::NSObject, public std::enable_shared_from_this<NSResponder>
{
public:
  virtual NSResponder* nextResponder() const { return nullptr; }

  virtual bool acceptsFirstResponder() const { return false; }
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }

  virtual void mouseDown(const NSEvent& event) { Pass(&NSResponder::mouseDown, event); }
  virtual void mouseUp(const NSEvent& event) { Pass(&NSResponder::mouseUp, event); }
  virtual void mouseDragged(const NSEvent& event) { Pass(&NSResponder::mouseDragged, event); }
  virtual void mouseMoved(const NSEvent& event) { Pass(&NSResponder::mouseMoved, event); }
  virtual void mouseEntered(const NSEvent& event) { Pass(&NSResponder::mouseEntered, event); }
  virtual void mouseExited(const NSEvent& event) { Pass(&NSResponder::mouseExited, event); }
  virtual void rightMouseDown(const NSEvent& event) { Pass(&NSResponder::rightMouseDown, event); }
  virtual void rightMouseUp(const NSEvent& event) { Pass(&NSResponder::rightMouseUp, event); }
  virtual void rightMouseDragged(const NSEvent& event) { Pass(&NSResponder::rightMouseDragged, event); }
  virtual void scrollWheel(const NSEvent& event) { Pass(&NSResponder::scrollWheel, event); }
  virtual void keyDown(const NSEvent& event) { Pass(&NSResponder::keyDown, event); }
  virtual void keyUp(const NSEvent& event) { Pass(&NSResponder::keyUp, event); }

private:
  void Pass(void (NSResponder::*handler)(const NSEvent&), const NSEvent& event) const
  {
    if (NSResponder* next = nextResponder())
      (next->*handler)(event);
  }
};
