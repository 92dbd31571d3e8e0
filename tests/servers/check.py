#!/usr/bin/env python3
"""Checks the servers start.sh DIR runs behave as the mail tests expect.

Usage: check.py DIR
"""

import email.message
import email.utils
import fcntl
import imaplib
import os
import smtplib
import socket
import ssl
import struct
import sys
import time
import unittest
import uuid

HOST = "127.0.0.1"
SMTP_PORT, IMAP_PORT, IMAPS_PORT, UNTRUSTED_PORT = 10025, 10143, 10993, 10994
SELLER = ("seller@lotwise.test", "sellerpass")
BUYER = ("buyer@lotwise.test", "buyerpass")
BUYER2 = ("buyer2@lotwise.test", "buyer2pass")
DIR = None


def trusting(cafile="ca.pem"):
    context = ssl.create_default_context(cafile=os.path.join(DIR, cafile))
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    return context


def wait_for_subject(user, subject, deadline=20):
    """Delivery runs behind the SMTP reply, so the message shows up a moment later."""
    imap = imaplib.IMAP4_SSL(HOST, IMAPS_PORT, ssl_context=trusting())
    try:
        imap.login(*user)
        end = time.monotonic() + deadline
        while True:
            imap.select("INBOX")
            status, data = imap.search(None, "SUBJECT", '"%s"' % subject)
            if status == "OK" and data[0].split():
                return imap.fetch(data[0].split()[-1], "(RFC822)")[1][0][1]
            if time.monotonic() > end:
                return None
            time.sleep(0.2)
    finally:
        imap.logout()


class Smtp(unittest.TestCase):
    def connect(self, secure=True):
        smtp = smtplib.SMTP(HOST, SMTP_PORT, local_hostname="client.lotwise.test", timeout=20)
        self.addCleanup(smtp.close)
        smtp.ehlo("client.lotwise.test")
        if secure:
            smtp.starttls(context=trusting())
            smtp.ehlo("client.lotwise.test")
        return smtp

    def test_auth_only_after_starttls(self):
        smtp = self.connect(secure=False)
        self.assertTrue(smtp.has_extn("starttls"))
        self.assertFalse(smtp.has_extn("auth"))
        smtp.starttls(context=trusting())
        smtp.ehlo("client.lotwise.test")
        self.assertIn("PLAIN", smtp.esmtp_features.get("auth", "").upper())

    def test_wrong_password_is_refused(self):
        with self.assertRaises(smtplib.SMTPAuthenticationError):
            self.connect().login(SELLER[0], "not the password")

    def test_recipients_outside_the_users_are_refused(self):
        smtp = self.connect()
        smtp.login(*SELLER)
        self.assertEqual(smtp.mail(SELLER[0])[0], 250)
        code, text = smtp.rcpt("nobody@lotwise.test")
        self.assertEqual(code, 550, text)
        self.assertIn(b"5.1.1", text)
        code, text = smtp.rcpt("someone@example.com")
        self.assertGreaterEqual(code, 500, text)
        self.assertEqual(smtp.rcpt(BUYER2[0])[0], 250)
        smtp.rset()

    def test_unauthenticated_sender_cannot_send(self):
        smtp = self.connect()
        smtp.mail(SELLER[0])
        code, text = smtp.rcpt(BUYER[0])
        self.assertGreaterEqual(code, 500, text)

    def test_message_reaches_the_buyer(self):
        subject = "Your invoice %s" % uuid.uuid4().hex
        message = email.message.EmailMessage()
        message["From"], message["To"], message["Subject"] = SELLER[0], BUYER[0], subject
        message["Date"] = email.utils.formatdate()
        message["Message-ID"] = email.utils.make_msgid(domain="lotwise.test")
        message.set_content("Total due: $12.50\nThank you for bidding.\n")
        smtp = self.connect()
        smtp.login(*SELLER)
        self.assertEqual(smtp.send_message(message), {})
        smtp.quit()

        raw = wait_for_subject(BUYER, subject)
        self.assertIsNotNone(raw, "the message never reached the buyer's INBOX")
        self.assertIn(b"Total due: $12.50", raw)
        self.assertIn(message["Message-ID"].encode(), raw)


class Imap(unittest.TestCase):
    def test_starttls_on_the_plain_port(self):
        # Dovecot counts loopback connections as secure, so it would also take a login
        # without STARTTLS here; only the offer and the upgrade can be checked.
        imap = imaplib.IMAP4(HOST, IMAP_PORT, timeout=20)
        self.addCleanup(imap.shutdown)
        self.assertIn("STARTTLS", imap.capabilities)
        imap.starttls(ssl_context=trusting())
        self.assertEqual(imap.login(*BUYER2)[0], "OK")
        self.assertEqual(imap.select("INBOX")[0], "OK")

    def test_wrong_password_is_refused(self):
        imap = imaplib.IMAP4_SSL(HOST, IMAPS_PORT, ssl_context=trusting(), timeout=20)
        self.addCleanup(imap.shutdown)
        with self.assertRaises(imaplib.IMAP4.error):
            imap.login(BUYER[0], "sellerpass")

    def test_untrusted_listener_is_refused_against_the_test_ca_but_otherwise_sound(self):
        with self.assertRaises(ssl.SSLCertVerificationError):
            imaplib.IMAP4_SSL(HOST, UNTRUSTED_PORT, ssl_context=trusting(), timeout=20)
        # So the refusal is about who signed the certificate, not a dead port.
        imap = imaplib.IMAP4_SSL(HOST, UNTRUSTED_PORT, ssl_context=trusting("untrusted.pem"),
                                 timeout=20)
        self.addCleanup(imap.shutdown)
        self.assertIn("IMAP4REV1", imap.capabilities)


class Loopback(unittest.TestCase):
    def test_nothing_answers_on_other_addresses(self):
        addresses = [a for a in interface_addresses() if not a.startswith("127.")]
        if not addresses:
            self.skipTest("this machine has no address but loopback")
        for address in addresses:
            for port in (SMTP_PORT, IMAP_PORT, IMAPS_PORT, UNTRUSTED_PORT):
                with self.assertRaises(OSError, msg="%s:%d" % (address, port)):
                    socket.create_connection((address, port), timeout=2).close()


def interface_addresses():
    """The IPv4 address of every network interface (Linux)."""
    addresses = []
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        for _, name in socket.if_nameindex():
            try:
                reply = fcntl.ioctl(probe.fileno(), 0x8915,  # SIOCGIFADDR
                                    struct.pack("256s", name.encode()[:15]))
            except OSError:
                continue
            addresses.append(socket.inet_ntoa(reply[20:24]))
    return addresses


if __name__ == "__main__":
    if len(sys.argv) < 2 or not os.path.isfile(os.path.join(sys.argv[1], "ca.pem")):
        sys.exit("usage: check.py DIR  (DIR as given to start.sh)")
    DIR = sys.argv[1]
    unittest.main(argv=sys.argv[:1] + sys.argv[2:], verbosity=2)
