// The whole dialog layer.
#pragma once

#include "ui/app.h"
#include "ui/bitmap.h"
#include "ui/clipboard.h"
#include "ui/controls.h"
#include "ui/dc.h"
#include "ui/dialog.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui/wnd.h"
