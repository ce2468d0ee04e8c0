#pragma once
// The command line's own words for a PDF file or print job that could not be made; the
// window shows the error's Japanese text instead.

#include <QString>

class EOutputError;

QString OutputErrorText(const EOutputError& error);
