"""The tests' OAuth 2.0 authorization server, on 127.0.0.1 only.

  oauth-authserver.py DIR KEY   serves until killed; writes DIR/port once listening

GET /authorize checks the request (client, S256 challenge, a loopback redirect) and
sends the browser back with a code; POST /token exchanges the code (checking the
PKCE verifier) or a refresh token for an HS256 JWT signed with KEY, whose "sub" is
the login hint. GET /control?lifetime=S&pad=N&revoke=1 sets the lifetime of the
next access tokens (0: issued already expired), pads them to N characters, or
revokes every refresh token issued so far. Every grant is logged to DIR/grants.log
and every access token issued to DIR/tokens.txt.
"""
import base64, hashlib, hmac, json, os, secrets, sys, time
from http.server import BaseHTTPRequestHandler, HTTPServer
from urllib.parse import parse_qs, urlencode, urlsplit

DIR, KEY = sys.argv[1], sys.argv[2].encode()
CLIENT = "quorvane-test"
state = {"lifetime": 3600, "pad": 0, "codes": {}, "refresh": {}}


def b64(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode()


def log(line):
    with open(os.path.join(DIR, "grants.log"), "a") as f:
        f.write(line + "\n")


def access_token(user):
    now = int(time.time())
    lifetime = state["lifetime"]
    claims = {"sub": user, "iat": now - 5, "exp": now + lifetime if lifetime > 0 else now - 1}
    header = b64(json.dumps({"alg": "HS256", "typ": "JWT"}).encode())

    def sign(c):
        body = header + "." + b64(json.dumps(c, separators=(",", ":")).encode())
        return body + "." + b64(hmac.new(KEY, body.encode(), hashlib.sha256).digest())

    token = sign(claims)
    if state["pad"] > len(token):
        # A claim of the length that brings the whole token to the size asked for;
        # base64 makes 4 characters of every 3 bytes.
        claims["pad"] = ""
        base = len(sign(claims))
        claims["pad"] = "p" * ((state["pad"] - base) * 3 // 4)
        token = sign(claims)
        while len(token) < state["pad"]:
            claims["pad"] += "p"
            token = sign(claims)
    with open(os.path.join(DIR, "tokens.txt"), "a") as f:
        f.write(token + "\n")
    return token, (lifetime if lifetime > 0 else 0)


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def reply(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def json(self, status, obj):
        self.reply(status, json.dumps(obj).encode(), [("Content-Type", "application/json")])

    def do_GET(self):
        url = urlsplit(self.path)
        q = {k: v[0] for k, v in parse_qs(url.query).items()}
        if url.path == "/control":
            if "lifetime" in q:
                state["lifetime"] = int(q["lifetime"])
            if "pad" in q:
                state["pad"] = int(q["pad"])
            if q.get("revoke"):
                for r in state["refresh"].values():
                    r["revoked"] = True
            return self.reply(200, b"ok\n")
        if url.path != "/authorize":
            return self.reply(404)
        problems = []
        if q.get("response_type") != "code":
            problems.append("response_type")
        if q.get("client_id") != CLIENT:
            problems.append("client_id")
        if q.get("code_challenge_method") != "S256" or len(q.get("code_challenge", "")) != 43:
            problems.append("code_challenge")
        redirect = q.get("redirect_uri", "")
        if not redirect.startswith("http://127.0.0.1:"):
            problems.append("redirect_uri")
        log("authorize %s scope=%s login_hint=%s" % (
            "refused: " + ",".join(problems) if problems else "ok", q.get("scope"), q.get("login_hint")))
        if problems:
            return self.reply(400, b"bad request\n")
        code = secrets.token_urlsafe(16)
        state["codes"][code] = {"challenge": q["code_challenge"], "redirect": redirect,
                                "user": q.get("login_hint", "")}
        location = redirect + "?" + urlencode({"code": code, "state": q.get("state", "")})
        self.reply(302, b"", [("Location", location)])

    def do_POST(self):
        if urlsplit(self.path).path != "/token":
            return self.reply(404)
        length = int(self.headers.get("Content-Length", "0"))
        form = {k: v[0] for k, v in parse_qs(self.rfile.read(length).decode()).items()}
        if form.get("client_id") != CLIENT:
            log("token refused: client_id")
            return self.json(401, {"error": "invalid_client"})
        grant = form.get("grant_type")
        if grant == "authorization_code":
            c = state["codes"].pop(form.get("code", ""), None)
            verifier = form.get("code_verifier", "")
            if not c or c["redirect"] != form.get("redirect_uri"):
                log("authorization_code refused: code or redirect_uri")
                return self.json(400, {"error": "invalid_grant"})
            if b64(hashlib.sha256(verifier.encode()).digest()) != c["challenge"]:
                log("authorization_code refused: PKCE verifier")
                return self.json(400, {"error": "invalid_grant",
                                       "error_description": "PKCE verification failed"})
            user = c["user"]
            refresh = secrets.token_urlsafe(24)
            state["refresh"][refresh] = {"user": user, "revoked": False}
            token, expires = access_token(user)
            log("authorization_code ok: PKCE verified, access token of %d characters" % len(token))
            return self.json(200, {"access_token": token, "token_type": "Bearer",
                                   "expires_in": expires, "refresh_token": refresh})
        if grant == "refresh_token":
            r = state["refresh"].get(form.get("refresh_token", ""))
            if not r or r["revoked"]:
                log("refresh_token refused: %s" % ("revoked" if r else "unknown"))
                return self.json(400, {"error": "invalid_grant",
                                       "error_description": "The refresh token was revoked"})
            token, expires = access_token(r["user"])
            log("refresh_token ok: access token of %d characters" % len(token))
            return self.json(200, {"access_token": token, "token_type": "Bearer",
                                   "expires_in": expires})
        log("token refused: grant_type")
        return self.json(400, {"error": "unsupported_grant_type"})


server = HTTPServer(("127.0.0.1", 0), Handler)
with open(os.path.join(DIR, "port.tmp"), "w") as f:
    f.write(str(server.server_address[1]))
os.rename(os.path.join(DIR, "port.tmp"), os.path.join(DIR, "port"))
server.serve_forever()
