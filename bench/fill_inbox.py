#!/usr/bin/env python3
"""fill_inbox.py DIR USER PASSWORD TOTAL NOTICES: empties USER's inbox on the test Dovecot and
appends TOTAL messages over IMAPS, every (TOTAL / NOTICES)-th of them a sale notice."""
import imaplib
import ssl
import sys


def message(i, notice):
    if notice:
        return (f"From: sales@auctions.example\r\nSubject: eBay Item Sold: lamp {i}\r\n\r\n"
                f"Item name: Brass lamp {i}\r\nDetails for item number: {5000000 + i}\r\n"
                f"Buyer: buyer{i} (buyer{i}@example.com)\r\nSale price: US $1,{i:03d}.50\r\n")
    return (f"From: friend{i}@example.com\r\nSubject: Newsletter {i}\r\n\r\n"
            + "Some ordinary mail that is not a notice.\r\n" * 20)


def main():
    folder, user, password, total, notices = sys.argv[1:]
    total, notices = int(total), int(notices)
    step = max(1, total // max(1, notices))
    context = ssl.create_default_context(cafile=f"{folder}/ca.pem")
    imap = imaplib.IMAP4_SSL("127.0.0.1", 10993, ssl_context=context)
    imap.login(user, password)
    _, count = imap.select("INBOX")
    if int(count[0]) > 0:
        imap.store("1:*", "+FLAGS", "\\Deleted")
        imap.expunge()
    for i in range(total):
        imap.append("INBOX", None, None, message(i, i % step == 0).encode())
    imap.logout()


if __name__ == "__main__":
    main()
