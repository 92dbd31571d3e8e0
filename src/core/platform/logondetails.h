#pragma once

#include <QString>

// What the mail logon dialog shows and the user fills in; plain strings so that a script
// can answer it. With useLocalFolders the server fields are left alone.
struct LogonDetails
{
    QString incoming;
    QString outgoing;
    QString user;
    QString password;
    QString sender;
    QString senderName;
    bool useLocalFolders = false;
};
