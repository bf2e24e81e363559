// The skin pictures are compiled into this library as Qt resources under ":/skin/".
