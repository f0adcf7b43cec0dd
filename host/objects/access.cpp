#include "host/objects/access.h"

#include "host/vb/errors.h"
#include "host/vb/vb.h"

QString Control::Name() const
{
    return vb::CStr(property(u"Name"));
}

namespace {
[[noreturn]] void raiseIndex(const QString &object, const char *collection, int index)
{
    throw HostError(
        Err::InvalidPropertyReference,
        QStringLiteral("%1 has no %2(%3)").arg(object, QLatin1String(collection)).arg(index));
}
} // namespace

const Control &AccessObject::Controls(int index) const
{
    if (index < 0 || index >= controls.size())
        raiseIndex(name, "Controls", index);
    return controls[index];
}

const GroupLevel &AccessObject::GroupLevels(int index) const
{
    if (index < 0 || index >= groupLevels.size())
        raiseIndex(name, "GroupLevel", index);
    return groupLevels[index];
}
