# Velmora tests — fixtures for tst_photo_containers, made with Pillow.
# Writes mpf.jpg (Pillow's MPO: primary and a second picture with an MPF index), uhdr.jpg (the
# same with XMP declaring the second a gain map), motion.jpg (XMP naming an MP4 video appended at
# the end), novideo.jpg (the same claims, no video) and video.bin (the video alone) into argv[1].
import io, os, struct, sys
from PIL import Image
out = sys.argv[1]
def xmp(body):
    p = b"http://ns.adobe.com/xap/1.0/\0" + body.encode()
    return b"\xff\xe1" + struct.pack(">H", len(p) + 2) + p
def jpeg(size, colour):
    b = io.BytesIO(); Image.new('RGB', size, colour).save(b, 'JPEG', quality=90); return b.getvalue()
head = '<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description rdf:about="" xmlns:hdrgm="http://ns.adobe.com/hdr-gain-map/1.0/" xmlns:GCamera="http://ns.google.com/photos/1.0/camera/" xmlns:Container="http://ns.google.com/photos/1.0/container/" xmlns:Item="http://ns.google.com/photos/1.0/container/item/" xmlns:dc="http://purl.org/dc/elements/1.1/" '
tail = '</rdf:Description></rdf:RDF></x:xmpmeta>'
creator = '<dc:creator><rdf:Seq><rdf:li>Tester</rdf:li></rdf:Seq></dc:creator>'
def directory(*items):
    return '<Container:Directory><rdf:Seq>' + ''.join('<rdf:li rdf:parseType="Resource"><Container:Item Item:Semantic="%s" Item:Mime="%s"%s/></rdf:li>' % i for i in items) + '</rdf:Seq></Container:Directory>'
b = io.BytesIO()
Image.new('RGB', (64, 48), (180, 120, 90)).save(b, 'MPO', save_all=True, append_images=[Image.new('RGB', (32, 24), (90, 90, 90))], quality=90)
mpo = b.getvalue()
open(os.path.join(out, 'mpf.jpg'), 'wb').write(mpo)
uhdr = head + 'hdrgm:Version="1.0">' + creator + directory(('Primary', 'image/jpeg', ''), ('GainMap', 'image/jpeg', ' Item:Length="640"')) + tail
open(os.path.join(out, 'uhdr.jpg'), 'wb').write(mpo[:2] + xmp(uhdr) + mpo[2:])
video = b"\0\0\0\x18ftypmp42\0\0\0\0mp42isom" + bytes(range(256)) * 40
claims = head + 'GCamera:MotionPhoto="1" GCamera:MotionPhotoVersion="1" GCamera:MicroVideoOffset="%d">' % len(video) + creator + directory(('Primary', 'image/jpeg', ' Item:Padding="0"'), ('MotionPhoto', 'video/mp4', ' Item:Length="%d"' % len(video))) + tail
p = jpeg((64, 48), (180, 120, 90))
open(os.path.join(out, 'motion.jpg'), 'wb').write(p[:2] + xmp(claims) + p[2:] + video)
open(os.path.join(out, 'novideo.jpg'), 'wb').write(p[:2] + xmp(claims) + p[2:])
open(os.path.join(out, 'video.bin'), 'wb').write(video)
