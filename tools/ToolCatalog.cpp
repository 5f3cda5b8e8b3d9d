#include "ToolCatalog.h"

#include "model/UcstmExp.h"
#include "platform/AppFolder.h"

MMessageCatalog LoadCatalog() {
    MMessageCatalog catalog;
    if (!catalog.LoadMessageFile(AppFile(QStringLiteral("Dta\\sysmsg.dta"))))
        catalog.LoadMessageFile(QStringLiteral(KDS_CATALOG_FILE));
    return catalog;
}

QString ErrorText(const Exception& E) {
    if (const auto* m = dynamic_cast<const MException*>(&E)) {
        QString text;
        QString caption;
        const MMessageCatalog catalog = LoadCatalog();
        catalog.LookupMessage(CatalogEnglish, m->Code, m->SubCode, m->Args, text, caption);
        return text.replace(QLatin1Char('@'), QLatin1Char(' '));
    }
    return E.Message();
}
