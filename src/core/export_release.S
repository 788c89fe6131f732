/* The entry points through which a dock may let the module go
 * (core/entry_points.cpp has their bodies). OnCreate, whose result is the
 * icon, and the calls that never see an icon go straight to theirs. */
#include "base/tail_release.inc"

#if defined(__i386__)
releasing_entry _OnSave@16, _OnSaveBody@16, 16
releasing_entry _OnExportFiles@12, _OnExportFilesBody@12, 12
releasing_entry _OnDestroy@8, _OnDestroyBody@8, 8
releasing_entry _OnProcessMessage@20, _OnProcessMessageBody@20, 20
releasing_entry _OnLeftButtonClick@12, _OnLeftButtonClickBody@12, 12
releasing_entry _OnRightButtonClick@12, _OnRightButtonClickBody@12, 12
releasing_entry _OnLeftButtonHeld@12, _OnLeftButtonHeldBody@12, 12
releasing_entry _OnConfigure@4, _OnConfigureBody@4, 4
releasing_entry _OnInfo@4, _OnInfoBody@4, 4
releasing_entry _OnAbout@4, _OnAboutBody@4, 4
#else
releasing_entry OnSave, OnSaveBody, 32
releasing_entry OnExportFiles, OnExportFilesBody, 24
releasing_entry OnDestroy, OnDestroyBody, 16
releasing_entry OnProcessMessage, OnProcessMessageBody, 40
releasing_entry OnLeftButtonClick, OnLeftButtonClickBody, 24
releasing_entry OnRightButtonClick, OnRightButtonClickBody, 24
releasing_entry OnLeftButtonHeld, OnLeftButtonHeldBody, 24
releasing_entry OnConfigure, OnConfigureBody, 8
releasing_entry OnInfo, OnInfoBody, 8
releasing_entry OnAbout, OnAboutBody, 8
#endif
