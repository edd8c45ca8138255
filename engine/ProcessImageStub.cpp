#include "engine/ProcessImage.h"

// Until the distortion is wired in, the image stays as the host delivered it.
void ProcessImage() {}
