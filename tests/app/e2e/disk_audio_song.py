# Checks a file written by SDL's disk audio driver against the song:
#   python3 disk_audio_song.py SONG_RAW AUDIO_FILE
# SONG_RAW is `invite-tool song --raw` (16-bit samples); the device must have
# received each sample divided by 32767 as a float, bit for bit, after whole
# buffers of silence, and silence after the song's end.
import struct, sys
raw = open(sys.argv[1], 'rb').read()
song = struct.unpack('<%dh' % (len(raw) // 2), raw)
n = len(song) - 1  # the device never plays the song's last sample
got = open(sys.argv[2], 'rb').read()
# The demo converts each sample as float(s / 32767.0): a double divided,
# then rounded to float, just as struct packs a Python float.
table = {s: struct.pack('<f', s / 32767.0) for s in set(song)}
expected = b''.join(table[s] for s in song[:n])
# While the song is rendered the paused device writes whole buffers of
# silence; the song starts at the beginning of a buffer after them.
buffer = 8192 * 4
start = 0
while start + 4 * n <= len(got) and got[start:start + 4 * n] != expected:
    if got[start:start + buffer].count(0) != buffer:
        k = next(i for i in range(n) if got[start + 4 * i:start + 4 * i + 4] != expected[4 * i:4 * i + 4])
        sys.exit("sample %d: %r, expected %r (song value %d)" % (
            k, struct.unpack('<f', got[start + 4 * k:start + 4 * k + 4])[0],
            struct.unpack('<f', table[song[k]])[0], song[k]))
    start += buffer
if start + 4 * n > len(got):
    sys.exit("the song is not in the audio file")
tail = got[start + 4 * n:]
if tail.count(0) != len(tail):
    sys.exit("not silent after the song's end")
if len(got) % 32768:
    sys.exit("%d bytes is not a whole number of 8192-frame buffers" % len(got))
print("%d buffers of silence, then %d samples equal to the Linux render, then %d of silence" % (
    start // buffer, n, len(tail) // 4))
