#include "measure/reset_stamp.h"

#include "app/app_state.h"
#include "app/start_flags.h"
#include "res/resource.h"

namespace {

constexpr u32 LABEL_SIZE = 32;

void WriteResetLabel() {
  u32 month = (app.resetDate >> 5) & 15, day = app.resetDate & 31;
  u32 hour = app.resetTime >> 11, minute = (app.resetTime >> 5) & 63;
  char text[LABEL_SIZE];
  wsprintfA(text, resetLabelFormat, month, day, hour, minute);
  ModifyMenuA(app.mainPopup, IDM_RESET, MF_BYCOMMAND | MF_STRING, IDM_RESET, text);
}

}  // namespace

void StampReset(u32 flags) {
  SYSTEMTIME now;
  FILETIME moment;
  WORD date, time;
  GetLocalTime(&now);
  // The DOS format holds years 1980 to 2107 only; outside them nothing is reset.
  if (SystemTimeToFileTime(&now, &moment) && FileTimeToDosDateTime(&moment, &date, &time)) {
    if ((flags & START_DAILY_RESET) && app.resetDate != date) flags |= START_RESET;
    if ((flags & START_RESET) || app.resetDate == 0) {
      app.resetDate = date;
      app.resetTime = time;
      app.totalRecvKiB = app.totalSentKiB = 0;
      app.recvRemainder = app.sentRemainder = 0;
    }
  }
  WriteResetLabel();
}
