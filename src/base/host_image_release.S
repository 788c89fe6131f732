/* Slot 0 of the module's image objects (base/host_image.cpp). */
#include "base/tail_release.inc"

#if defined(__i386__)
releasing_entry _DestroyModuleImage, _DestroyModuleImageBody, 4
#else
releasing_entry DestroyModuleImage, DestroyModuleImageBody, 16
#endif
