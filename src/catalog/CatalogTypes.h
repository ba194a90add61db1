#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace sr5n {

// What an entry of an object's timeline records.
enum class CatalogOperation {
    Read,               // read from the device
    Written,            // written to the device
    VerifiedWrite,      // written, and read back the same
    WriteUnverified,    // written, but reading it back failed
    VerificationFailed, // written, and the device holds something else
    VerificationRead,   // what the device held when a verified write was read back
    Saved,              // saved to a .snc file
    Opened,             // opened from a .snc file
    Imported,           // added from a file or an earlier version's history
};

// The word an operation is stored under ("read", "verified"...), and back;
// an unknown word gives nothing.
QString OperationWord(CatalogOperation operation);
std::optional<CatalogOperation> OperationFromWord(const QString &word);
// What the user reads: "Чтение", "Запись, проверка не пройдена"...
QString OperationText(CatalogOperation operation);
// True for the operations of a write whose check did not pass or did not run,
// and for the read-back of a failed check: the timeline marks them.
bool OperationIsWarning(CatalogOperation operation);

// An installation: known by the object numbers of its two pairs as last seen.
struct CatalogObject {
    QString id;    // a UUID, generated once
    QString codes; // object numbers of pair 1 and pair 2: "1234 0567"
    QString name;
    QString address;
    QString notes;
    QString phones; // the phone numbers of the latest configuration, space-separated
    QDateTime created;
    QDateTime lastTime; // of the latest entry
    std::optional<CatalogOperation> lastOperation;
    QString lastEntry; // id of the latest entry
    QString editedBy;  // who last changed the name, address or notes, and when
    QDateTime editedAt;
};

// What became of an edit of an object's name, address and notes, checked
// against the object as the engineer saw it.
struct ObjectEdit {
    enum class Outcome {
        Saved,
        ChangedMeanwhile, // someone else changed it first: nothing was written
        Failed,
    };
    Outcome outcome = Outcome::Failed;
    CatalogObject current; // the object as stored now (the other engineer's texts)
};

// One entry of an object's timeline; entries are only ever added (an entry
// may be moved to another object).
struct CatalogEntry {
    QString id; // a UUID, generated once
    QString objectId;
    QDateTime time; // UTC
    CatalogOperation operation = CatalogOperation::Read;
    QString port;
    QString user;
    QString version; // of the program that recorded it
    QString note;
    QString hash;         // SHA-256 of the configuration's .snc bytes, hexadecimal
    QString codes;        // the object numbers in this configuration
    QString phones;       // the phone numbers in this configuration
    QString templateName; // not empty: the entry is a template under this name
    QString source;       // where an imported entry came from, to import it once
};

// An entry to be recorded, with its configuration and what was found in it.
struct NewCatalogEntry {
    QDateTime time; // UTC
    CatalogOperation operation = CatalogOperation::Read;
    QString port;
    QString user;
    QString version;
    QString note;
    QByteArray configuration; // the .snc bytes
    QString codes;            // object numbers of both pairs: "1234 0567"
    QString phones;           // phone numbers inside, space-separated
    // Empty: the object whose numbers match, or a new one. Else this object.
    QString objectId;
    // Not empty: an entry with this source is recorded once only.
    QString source;
};

// The text a search looks in: numbers, name, address, notes and phone
// numbers, in lower case.
QString CatalogSearchText(const QString &codes, const QString &name, const QString &address,
                          const QString &notes, const QString &phones);

// A search: its words in lower case, "ё" read as "е"; each word is found in
// the search text (its "ё" read as "е" too) as it is, or as digits among
// digits with phone punctuation left out of both ("958-48" finds
// "8 (495) 958-48-00" and "84959584800"). CatalogSearchMatch() is the SQL
// condition of one word, bound to the word's LIKE pattern and that of its
// CatalogPhoneDigits().
QStringList CatalogSearchWords(const QString &search);
QString CatalogPhoneDigits(const QString &word);
QString CatalogSearchMatch();

// SHA-256 of the bytes in lower-case hexadecimal.
QString ContentHash(const QByteArray &bytes);
// A new globally unique identity.
QString NewCatalogId();

} // namespace sr5n
