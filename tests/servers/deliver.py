#!/usr/bin/env python3
"""deliver.py DIR USER PASSWORD TO FILE...: sends each raw message file, bytes unchanged,
through the test Postfix (STARTTLS, then AUTH as USER) to TO."""
import smtplib
import ssl
import sys


def main():
    folder, user, password, to, *files = sys.argv[1:]
    context = ssl.create_default_context(cafile=f"{folder}/ca.pem")
    with smtplib.SMTP("127.0.0.1", 10025, local_hostname="client.lotwise.test", timeout=20) as smtp:
        smtp.starttls(context=context)
        smtp.login(user, password)
        for name in files:
            with open(name, "rb") as f:
                smtp.sendmail(user, [to], f.read())


if __name__ == "__main__":
    main()
