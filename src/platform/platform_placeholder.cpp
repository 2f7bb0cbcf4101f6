#include "platform/canvas.h"
#include "platform/dialogs.h"
