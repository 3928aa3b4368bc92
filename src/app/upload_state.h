#pragma once
// What the uploader dialog keeps while it is open, held by the session.

#include "firmware/program.h"
#include "firmware/upload.h"

namespace zt {

// What the open dialog keeps. While the worker runs it alone writes the
// driver's status and nobody writes the image.
struct Uploader {
    LoadedImage firmware;
    bool verbose = false;  // as the About box left it when the dialog opened
    UploadDriver upload;
};

}  // namespace zt
