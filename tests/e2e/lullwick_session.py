# The helpers now live in lullwick_e2e; this name stays for the tests that import it.
from lullwick_e2e import *  # noqa: F401,F403
