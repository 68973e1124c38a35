#include "store/tagged/QelBinaryAttribute.h"

#include "store/tagged/QelBinaryAttributes.h"
#include "store/tagged/QelBinaryGraphics.h"
#include "store/tagged/QelBinaryTypes.h"

#include <vector>

namespace {

std::vector<const TQelBinaryAttributeClass *> &DataTypeRegistry()
{
    static std::vector<const TQelBinaryAttributeClass *> registry{
        &TQelBinaryPicture::StaticClass(),
        &TQelBinaryBitmap::StaticClass(),
        &TQelBinaryIcon::StaticClass(),
        &TQelBinaryMetafile::StaticClass(),
        &TQelBinaryJPEG::StaticClass(),
        &TQelBinaryTShiftState::StaticClass(),
    };
    return registry;
}

} // namespace

const TQelBinaryAttributeClass *TQelBinaryAttributeClass::ForTypeId(quint8 id)
{
    static const TQelBinaryAttributeClass *const typed[] = {
        &TQelBinaryBlob::StaticClass(),
        &TQelBinaryBoolean::StaticClass(),
        &TQelBinaryCurrency::StaticClass(),
        &TQelBinaryDateTime::StaticClass(),
        &TQelBinaryReal48::StaticClass(),
        &TQelBinarySingle::StaticClass(),
        &TQelBinaryDouble::StaticClass(),
        &TQelBinaryExtended::StaticClass(),
        &TQelBinaryComp::StaticClass(),
        &TQelBinaryByte::StaticClass(),
        &TQelBinaryShortint::StaticClass(),
        &TQelBinaryChar::StaticClass(),
        &TQelBinaryWord::StaticClass(),
        &TQelBinarySmallint::StaticClass(),
        &TQelBinaryLongword::StaticClass(),
        &TQelBinaryLongint::StaticClass(),
        &TQelBinaryInt64::StaticClass(),
        &TQelBinaryAnsiString::StaticClass(),
        &TQelBinaryWideString::StaticClass(),
        &TQelBinaryShortString::StaticClass(),
    };
    return id >= 1 && id <= std::size(typed) ? typed[id - 1] : nullptr;
}

TQelBinaryAttribute::~TQelBinaryAttribute() = default;

bool TQelBinaryAttribute::SetName(const QByteArray &name)
{
    const QByteArray cut = name.left(255);
    if (m_owner)
        return m_owner->Rename(*this, cut);
    if (cut.isEmpty() || cut.contains(TQelNamespaceImplementation::Separator))
        return false;
    m_name = cut;
    return true;
}

void TQelBinaryAttribute::Assign(const TQelBinaryAttribute &source)
{
    if (&source == this)
        return;
    if (m_owner)
        m_owner->RenameUnique(*this, source.Name());
    else
        m_name = source.Name();
    m_isNull = source.m_isNull;
    if (&source.ClassType() == &ClassType())
        AssignValue(source);
}

void TQelBinaryAttribute::RegisterBinaryDataType(const TQelBinaryAttributeClass &type)
{
    auto &registry = DataTypeRegistry();
    if (std::find(registry.begin(), registry.end(), &type) == registry.end())
        registry.push_back(&type);
}

const TQelBinaryAttributeClass *TQelBinaryAttribute::FindBinaryDataType(const QByteArray &className)
{
    for (const TQelBinaryAttributeClass *type : DataTypeRegistry())
        if (type->Name == className)
            return type;
    return nullptr;
}
