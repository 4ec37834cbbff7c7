#!/usr/bin/python3
"""A mail server for tests on 127.0.0.1: prints its port, then keeps every message
it accepts as NNN.json in FOLDER (envelope, decoded subject, the date as parsed ("" when
it cannot be), attachments with their decoded names and bytes in base64) beside NNN.eml. Recipients whose address holds
"refuse" are refused with 550, as a real server refuses an unknown mailbox."""
import base64, email, email.policy, json, pathlib, socket, sys, time
from aiosmtpd.controller import Controller

folder = pathlib.Path(sys.argv[1])
folder.mkdir(parents=True, exist_ok=True)


class Handler:
    count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if "refuse" in address:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 2.1.5 Ok"

    async def handle_DATA(self, server, session, envelope):
        Handler.count += 1
        stem = folder / ("%03d" % Handler.count)
        stem.with_suffix(".eml").write_bytes(envelope.content)
        message = email.message_from_bytes(envelope.content, policy=email.policy.default)
        files = [{"name": part.get_filename(), "type": part.get_content_type(),
                  "bytes": base64.b64encode(part.get_payload(decode=True)).decode()}
                 for part in message.iter_attachments()]
        body = message.get_body(("plain",))
        date = message["date"]
        record = {"from": envelope.mail_from, "to": envelope.rcpt_tos, "subject": str(message["subject"]),
                  "date": date.datetime.isoformat() if date is not None and date.datetime else "",
                  "body": body.get_content() if body else "", "attachments": files}
        stem.with_suffix(".json").write_text(json.dumps(record, ensure_ascii=False), encoding="utf-8")
        return "250 2.0.0 Ok: queued as KAEDE%d" % Handler.count


probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
controller = Controller(Handler(), hostname="127.0.0.1", port=port)
controller.start()
print(port, flush=True)
try:
    while True:
        time.sleep(3600)
except KeyboardInterrupt:
    pass
