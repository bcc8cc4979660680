// Message boxes as desktop dialogs (runs that show the log window).
#pragma once
#include "msg_box.h"

namespace platform {

class cFltkMsgBox : public iMsgBox {
public:
  void show(const std::string& text, const std::string& title) override;
  bool ask_YesNo(const std::string& text, const std::string& title, bool safeDefault) override;
};

}  // namespace platform
