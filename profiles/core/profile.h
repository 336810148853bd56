#ifndef PROFILE_H
#define PROFILE_H

#include <QObject>
#include <QString>

class QIODevice;

// One configuration profile: how devices find the management server and how
// a device drives up to three display outputs. It lives in the file
// name + ".prf" in dir; the editor reads and writes the fields directly.
class Profile : public QObject
{
public:
    static constexpr int Outputs = 3;
    static constexpr int IndexCount = 15;
    // The files the console writes stay well below this (the editor's fields
    // take a few hundred kilobytes at most); a larger file is no profile, and
    // reading it line by line would hold the console for minutes.
    static constexpr qint64 MaxFileBytes = 1 << 20;

    // How the text of a file is decoded. Files are written in UTF-8; a file
    // whose bytes are not UTF-8 was written one byte a character (Latin-1) by
    // an older console or elsewhere, and is read so. A file behind a UTF-16
    // byte order mark is read as UTF-16, and a UTF-8 mark is passed over.
    enum class Encoding { Utf8, Latin1 };

    explicit Profile(const QString &dir);

    // Every setting back to its default; dir and name stay.
    void setDefaults();

    // Reads dir/fileName (a file name with its suffix). False only when dir or
    // fileName is empty, or the file cannot be opened as a regular file (a
    // pipe or a folder under the name is refused at once), is larger than
    // MaxFileBytes or fails to read, part-way as well (nothing of it is then
    // taken); whatever the content, keys that are not found keep their
    // values. name is taken from fileName even when the file cannot be opened.
    bool load(const QString &fileName);

    // What load() does with the open file: reads the fields from a device
    // that can seek back to where it stands (the encoding is decided first),
    // at most MaxFileBytes of it. Keys may stand in any order; the first line
    // of a key counts. Lines end with LF, CR LF or CR alone.
    void read(QIODevice *file);

    // Replaces dir/name.prf as a whole; false when dir or name is empty or
    // unsafe, or the file could not be written completely (the previous file
    // then stays as it was).
    bool save() const;

    // The text of the file that save() writes, in UTF-8.
    QByteArray fileContent() const;

    // Whether name may become a file name in dir: no separators, no leading
    // "." (hidden files and ".." would leave the directory or the listing),
    // no control characters.
    static bool isSafeName(const QString &name);

    // Readers scan forward from the device's position for the line that starts
    // with key (the file key and "="), skipping comment and empty lines and
    // consuming every other line they pass. False at the end of the file, the
    // destination then unchanged.
    static bool readString(QIODevice *file, const QByteArray &key, QString *out, Encoding encoding = Encoding::Utf8);
    static bool readBool(QIODevice *file, const QByteArray &key, bool *out);
    static bool readInt(QIODevice *file, const QByteArray &key, int *out);
    // The encoding of the rest of the file; the position stays where it was.
    static Encoding encodingOf(QIODevice *file);

    QString dir;
    QString name;
    bool zorServerUseDHCP = true;
    QString zorServerHostname;
    QString zorServerPort;
    QString dispVideoMode;
    QString dispScreensaverTimeout;
    QString dispOpConnector[Outputs];
    QString dispOpPosition[Outputs];
    QString dispOpReferent[Outputs];
    QString dispOpOrientation[Outputs];
    QString dispOpResolution[Outputs];
    // Rows of the editor's fifteen display combos: connector 1-3, position
    // 1-3, referent 1-3, orientation 1-3, resolution 1-3.
    qint32 dispCmbxIndexes[IndexCount];
};

#endif // PROFILE_H
