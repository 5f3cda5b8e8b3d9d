#pragma once
// The message catalogue for the shell tools: the one beside the executable, else the one of the
// source tree the tool was built from; and the English text of an error for the tools to print.

#include "platform/Errors.h"
#include "ui/UmessageCatalog.h"

#include <QString>

// Catalogue languages.
constexpr int CatalogArabic = 0;
constexpr int CatalogEnglish = 1;

MMessageCatalog LoadCatalog();

// The English text of a numbered error of the catalogue on one line, else the error's own message.
QString ErrorText(const Exception& E);
