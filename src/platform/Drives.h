#pragma once
// Optical discs on Linux: there are no drive letters, so "the CD-ROM drive" is a mount whose
// file system is a disc's (iso9660, udf) or whose block device is a CD-ROM.
#include <QString>

#include <vector>

namespace platform {

struct TMount {
    QString Root;   // mount point, ending in "/"
    QString FsType;
    QString Source;
    unsigned Major = 0;
    unsigned Minor = 0;
    bool ReadOnly = false; // mounted read-only
};

// Parses mountinfo text (the format of /proc/self/mountinfo, escapes included).
std::vector<TMount> ParseMountInfo(const QByteArray &text);

// The mount table in force: /proc/self/mountinfo, or the text that tests put in its place.
std::vector<TMount> Mounts();
void SetMountInfoForTesting(const QByteArray *text); // nullptr: back to the real table
// Tests describe block devices by pointing the sysfs root elsewhere (default "/sys").
void SetSysfsRootForTesting(const QString &root);

bool IsOpticalMount(const TMount &m);

// The mount that holds Path (the longest mount point that is a prefix of it).
const TMount *MountOf(const std::vector<TMount> &mounts, const QString &path);

// The root of the volume holding Path, ending in "/"; "/" when nothing better is known.
QString VolumeRoot(const QString &path);
bool IsOnOpticalMount(const QString &path);
// A folder on a read-only mount: nothing on it can be renamed or written, as on a disc.
bool IsOnReadOnlyMount(const QString &path);
// Mount point of the first optical mount in table order, ending in "/", or empty.
QString FirstOpticalRoot();

} // namespace platform
