#pragma once

#include <QString>
#include <optional>

namespace tarvik {

// A running process that keeps a serial device by its lock file.
struct drzitel_zarizeni {
    QString zamek;    // the lock file, its folder as the system names it (/run/lock/LCK..ttyS0)
    QString vlastnik; // the account that owns the lock file
    qint64 pid = 0;   // 0 when the file could not be read
    QString program;  // the process's name; empty when unknown
};

// The serial device's lock files and the lock this program holds while the port is open.
//
// On Linux, programs mark a device in use by a file LCK..<device> (its path below /dev, '/' as
// '_') in a lock folder; QSerialPort looks in /var/lock (= /run/lock), /etc/locks,
// /var/spool/locks, /var/spool/uucp, /tmp, /var/tmp, /var/lock/lockdev and the temporary folder.
// Any account may put anything there. A lock keeps the program out only where it names a running
// process and its owner could use the device itself (root, or one whom the device's owner, group
// and mode let read and write it). Something that is no ordinary file (a FIFO, a device, a link, a
// folder) is never opened nor removed; a file is opened without following a link and without
// blocking, and no more than a few dozen bytes of it are read. A lock that names no running
// process is removed where the folder allows it.
//
// QSerialPort (QLockFile) removes a lock that it takes for stale because the process it names runs
// another program or the file is older than half a minute, and it reads whatever lies at the lock
// path, a FIFO or a link to /dev/zero too. So the program takes the device's lock itself (the pid
// in ten columns, with flock held on it, so that QSerialPort anywhere fails to remove it), and
// QSerialPort opens the device through a private name of its own: its lock file is named after
// that, where nobody can have put anything before. On Windows there are no lock files: a port is
// never shared.
class zamek_zarizeni {
public:
    zamek_zarizeni() = default;
    ~zamek_zarizeni();
    zamek_zarizeni(const zamek_zarizeni&) = delete;
    zamek_zarizeni& operator=(const zamek_zarizeni&) = delete;

    // Looks at the device's lock in every lock folder: returns the holder when a running process's
    // lock keeps the program out. Otherwise takes the lock, where nothing left at its path stays
    // in the way (where it does, the device's exclusive use alone keeps others out), and returns
    // nothing. Never blocks.
    std::optional<drzitel_zarizeni> zamkni(const QString& zarizeni);
    // The name under which QSerialPort is to open the device now; empty when none can be made.
    // It goes with zahod_jmeno_pro_qt, once the port has been opened or has failed to open.
    QString jmeno_pro_qt(const QString& zarizeni);
    void zahod_jmeno_pro_qt();
    // Removes the lock this program took, if it is still its own.
    void uvolni();

private:
    int fd_ = -1;
    QString cesta_;
    QString slozka_pro_qt_;
    QString odkaz_pro_qt_;
};

// The system's error number on opening the device for reading and writing; 0 when it opens (it is
// closed again at once). A port that another program holds in exclusive use is EBUSY.
int chyba_otevreni_zarizeni(const QString& zarizeni);

// Why COM<cislo> could not be opened, for rada_k_portu.
struct selhani_portu {
    int cislo = 0;
    QString zarizeni{};                        // the device tried
    int chyba = 0;                             // chyba_otevreni_zarizeni of it
    std::optional<drzitel_zarizeni> drzitel{}; // the lock that kept the program out
};

// A paragraph in Czech after the message that the port cannot be opened or is in use: which port
// and device it is and what to do (a command to type on a line of its own). On Linux it names the
// dosdevices link (where it leads, or the command that makes it), the group that gives access, the
// lock and its owner; on Windows the ports the computer has and where the administrator chooses
// one.
QString rada_k_portu(const selhani_portu& s);

} // namespace tarvik
