<?php
// PHP's own form parsing (the same code as under a web server's PHP module): every field and file it
// made of the request, each file moved into the folder named by INTEROP_SAVE_DIR.
// One line each, names and values in hex so that no text encoding stands between them and the test:
//   field NAME VALUE
//   file FIELD FILENAME SIZE ERROR SAVED-PATH
header('Content-Type: text/plain');
$dir = getenv('INTEROP_SAVE_DIR');
echo 'request ', $_SERVER['REQUEST_METHOD'], ' ', bin2hex($_SERVER['REQUEST_URI']), "\n";
foreach ($_POST as $name => $value) {
  echo 'field ', bin2hex($name), ' ', bin2hex($value), "\n";
}
$n = 0;
foreach ($_FILES as $field => $f) {
  // A field sent as "name[]" comes as lists under "name": given back with its brackets.
  $listed = is_array($f['name']);
  $count = $listed ? count($f['name']) : 1;
  for ($i = 0; $i < $count; $i++) {
    $name = $listed ? $f['name'][$i] : $f['name'];
    $size = $listed ? $f['size'][$i] : $f['size'];
    $error = $listed ? $f['error'][$i] : $f['error'];
    $tmp = $listed ? $f['tmp_name'][$i] : $f['tmp_name'];
    $saved = $dir . '/php-' . $n++;
    if ($error === UPLOAD_ERR_OK) move_uploaded_file($tmp, $saved);
    echo 'file ', bin2hex($listed ? $field . '[]' : $field), ' ', bin2hex($name), ' ', $size, ' ', $error, ' ',
        bin2hex($saved), "\n";
  }
}
echo "end\n";
