#include "harvest/propertysearch.h"

void writeFoundProperty(Recordset &rows, const Properties &properties, const QString &name)
{
    for (int j = properties.Count() - 1; j >= 0; --j) {
        const Property &p = properties.item(j);
        if (p.Name() == name) {
            rows.setField(name, p.Value());
            return;
        }
    }
}
