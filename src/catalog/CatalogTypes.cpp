#include "catalog/CatalogTypes.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QStringList>
#include <QUuid>

namespace sr5n {

namespace {

struct OperationName {
    CatalogOperation operation;
    const char *word; // stored; never change a word once released
    const char *text; // shown
};

constexpr OperationName kOperations[] = {
    {CatalogOperation::Read, "read", "Чтение"},
    {CatalogOperation::Written, "write", "Запись"},
    {CatalogOperation::VerifiedWrite, "verified", "Запись с проверкой"},
    {CatalogOperation::WriteUnverified, "write-unverified", "Запись не проверена"},
    {CatalogOperation::VerificationFailed, "write-check-failed", "Запись, проверка не пройдена"},
    {CatalogOperation::VerificationRead, "check-read", "Чтение при проверке записи"},
    {CatalogOperation::Saved, "saved", "Сохранение в файл"},
    {CatalogOperation::Opened, "opened", "Открытие файла"},
    {CatalogOperation::Imported, "imported", "Импорт"},
};

} // namespace

QString OperationWord(CatalogOperation operation)
{
    for (const OperationName &name : kOperations)
        if (name.operation == operation)
            return QString::fromLatin1(name.word);
    return {};
}

std::optional<CatalogOperation> OperationFromWord(const QString &word)
{
    for (const OperationName &name : kOperations)
        if (word == QLatin1String(name.word))
            return name.operation;
    return std::nullopt;
}

QString OperationText(CatalogOperation operation)
{
    for (const OperationName &name : kOperations)
        if (name.operation == operation)
            return QString::fromUtf8(name.text);
    return {};
}

bool OperationIsWarning(CatalogOperation operation)
{
    return operation == CatalogOperation::WriteUnverified ||
           operation == CatalogOperation::VerificationFailed ||
           operation == CatalogOperation::VerificationRead;
}

QString CatalogSearchText(const QString &codes, const QString &name, const QString &address,
                          const QString &notes, const QString &phones)
{
    return QStringList{codes, name, address, notes, phones}.join(u'\n').toLower();
}

QStringList CatalogSearchWords(const QString &search)
{
    QStringList words = search.toLower().split(u' ', Qt::SkipEmptyParts);
    for (QString &word : words)
        word.replace(u'ё', u'е');
    return words;
}

QString CatalogPhoneDigits(const QString &word)
{
    static const QRegularExpression punctuation(QStringLiteral("[()+ -]"));
    const QString digits = QString(word).remove(punctuation);
    return digits.isEmpty() ? word : digits; // punctuation alone is searched as it is
}

QString CatalogSearchMatch()
{
    return QStringLiteral("(replace(search, 'ё', 'е') LIKE ? ESCAPE '\\' OR "
                          "replace(replace(replace(replace(replace(search, '-', ''), '(', ''), "
                          "')', ''), '+', ''), ' ', '') LIKE ? ESCAPE '\\')");
}

QString ContentHash(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString NewCatalogId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace sr5n
