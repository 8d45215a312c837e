"""Just enough eSCL on 127.0.0.1 for sane-airscan: each scan job delivers the colour or grey
JPEG as it asks, then no more pages. Prints its port. usage: escl_server.py COLOUR.jpg GREY.jpg"""

import http.server
import itertools
import sys

CAPABILITIES = b"""<?xml version="1.0" encoding="UTF-8"?>
<scan:ScannerCapabilities xmlns:scan="http://schemas.hp.com/imaging/escl/2011/05/03"
    xmlns:pwg="http://www.pwg.org/schemas/2010/12/sm">
  <pwg:Version>2.63</pwg:Version>
  <pwg:MakeAndModel>Loopback Scanner</pwg:MakeAndModel>
  <scan:Platen>
    <scan:PlatenInputCaps>
      <scan:MinWidth>16</scan:MinWidth>
      <scan:MaxWidth>1200</scan:MaxWidth>
      <scan:MinHeight>16</scan:MinHeight>
      <scan:MaxHeight>1500</scan:MaxHeight>
      <scan:SettingProfiles>
        <scan:SettingProfile>
          <scan:ColorModes>
            <scan:ColorMode>Grayscale8</scan:ColorMode>
            <scan:ColorMode>RGB24</scan:ColorMode>
          </scan:ColorModes>
          <scan:DocumentFormats>
            <pwg:DocumentFormat>image/jpeg</pwg:DocumentFormat>
            <scan:DocumentFormatExt>image/jpeg</scan:DocumentFormatExt>
          </scan:DocumentFormats>
          <scan:SupportedResolutions>
            <scan:DiscreteResolutions>
              <scan:DiscreteResolution>
                <scan:XResolution>100</scan:XResolution>
                <scan:YResolution>100</scan:YResolution>
              </scan:DiscreteResolution>
            </scan:DiscreteResolutions>
          </scan:SupportedResolutions>
        </scan:SettingProfile>
      </scan:SettingProfiles>
    </scan:PlatenInputCaps>
  </scan:Platen>
</scan:ScannerCapabilities>
"""

STATUS = b"""<?xml version="1.0" encoding="UTF-8"?>
<scan:ScannerStatus xmlns:scan="http://schemas.hp.com/imaging/escl/2011/05/03"
    xmlns:pwg="http://www.pwg.org/schemas/2010/12/sm">
  <pwg:Version>2.63</pwg:Version>
  <pwg:State>Idle</pwg:State>
</scan:ScannerStatus>
"""


def main():
    pictures = []
    for path in sys.argv[1:3]:
        with open(path, "rb") as f:
            pictures.append(f.read())
    pages = {}
    jobs = itertools.count(1)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def reply(self, code, body=b"", kind="text/xml", headers=()):
            self.send_response(code)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            if self.path.endswith("/ScannerCapabilities"):
                self.reply(200, CAPABILITIES)
            elif self.path.endswith("/ScannerStatus"):
                self.reply(200, STATUS)
            elif self.path.endswith("/NextDocument") and self.path in pages:
                self.reply(200, pages.pop(self.path), "image/jpeg")
            else:
                self.reply(404)

        def do_POST(self):
            settings = self.rfile.read(int(self.headers.get("Content-Length", 0)))
            job = "/eSCL/ScanJobs/%d" % next(jobs)
            pages[job + "/NextDocument"] = pictures[1 if b"Grayscale8" in settings else 0]
            host = "http://127.0.0.1:%d" % self.server.server_address[1]
            self.reply(201, headers=[("Location", host + job)])

        def do_DELETE(self):
            self.reply(200)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
