#pragma once
// Window layouts: a text that declares a form and its components, read when the form is made.
// A form class reads its own at the end of its constructor: ReadLayoutResource(*this, "TFRMMAIN").
//
//   # The first block is the form itself; its properties follow, indented.
//   form frmMain
//       Caption      = "frmMain"
//       ClientWidth  = 400
//       BorderIcons  = [SystemMenu]
//       OnCreate     = FormCreate
//
//   # Every other block is "<kind> <name>"; components are made in this order.
//   TBitBtn btnSetup
//       Bounds   = [44, 174, 114, 43]
//       Caption  = "アップデート"
//       OnClick  = btnSetupClick
//
//   TLabel Label1
//       Parent   = Panel1            (controls default to the form)
//
//   TMatrixImagePack MatrixImagePack1
//       ImageLoader.ResName = "LOGO" (nested properties are dotted names)
//
// Values: integers (12, -12, 0x00FF00), texts in double quotes ("" stands for one quote; no
// other escapes, so CP932 trail bytes are safe), bare words (true, Dialog, a handler or a
// component name), and lists in brackets, which may span lines ([SystemMenu], ["a", "b"]).
// Lines whose first non-blank character is "#" are comments. Layout files are UTF-8 in the
// source tree and CP932 in the program.
//
// Component kinds and their properties come from the registry; other units register theirs:
//
//   RegisterKind<TReadyNotifier>("TReadyNotifier", "TComponent")
//       .Event("OnReady", &TReadyNotifier::OnReady);
//   RegisterKind<TMatrixImagePack>("TMatrixImagePack", "TComponent")
//       .Text("ImageLoader.ResName", [](TMatrixImagePack& p, const std::string& v) {...})
//       .Integer("CountCol", &TMatrixImagePack::SetCountCol);
//
// Registering a kind again returns the existing entry, so registration functions may run more
// than once. An unknown kind, property, handler or component name is an ELayoutError.
//
// The parts: LayoutParser.h (the text), LayoutRegistry.h (kinds and their properties),
// LayoutContext.h (what a property setter asks), LayoutReader.h (building the form).
#include "framework/layout/LayoutContext.h"
#include "framework/layout/LayoutParser.h"
#include "framework/layout/LayoutReader.h"
#include "framework/layout/LayoutRegistry.h"
