// The picture component is built up in this folder.
