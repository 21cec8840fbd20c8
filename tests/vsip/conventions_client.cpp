// The VSIPL conventions client, built as C++.
#include "conventions_client.c"
