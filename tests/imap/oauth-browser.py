"""$BROWSER for the tests: follows the authorization URL through the server's
redirect to the program's loopback, as a browser would, and logs the outcome."""
import sys, urllib.request

try:
    with urllib.request.urlopen(sys.argv[1], timeout=30) as r:
        page = r.read().decode()
    result = "%d %s" % (r.status, "signed in" if "is signed in" in page else page)
except Exception as e:
    result = "failed: %s" % e
with open("browser.log", "a") as f:
    f.write(result + "\n")
