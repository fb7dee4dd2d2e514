#pragma once
// The update worker: the plan of images chosen by the installed version, one upload each.

#include "device/vendor_commands.h"
#include "platform/resources.h"

class CKestrunDlg;

// 0 when the image was written (whatever its check showed); -1 when it cannot be loaded, -2 when
// the device cannot be opened, -3 when the write failed.
int UploadImage(CKestrunDlg& dlg, ImageKind kind, platform::ResourceHandle resource);
// How many images the plan sends: the two migration images and the main one, or the main one.
inline constexpr int PlannedImageCount(bool twoStage) {
    return twoStage ? 3 : 1;
}
// The worker's routine; returns 0.
unsigned UpdateThreadProc(CKestrunDlg& dlg);
