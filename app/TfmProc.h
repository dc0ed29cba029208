#pragma once

#include "app/TfmPage.h"

// An empty page, made with the others and never shown.
class TfmProc : public TfmPage {
  Q_OBJECT
 public:
  TfmProc(WizardContext& ctx, QWidget* parent) : TfmPage(ctx, QStringLiteral("fmProc"), parent) {}
  bool UpdatePage(bool) override { return true; }
};
