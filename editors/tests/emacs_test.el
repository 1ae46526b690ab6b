;;; emacs_test.el --- The Emacs modes, run headless  -*- lexical-binding: t -*-

;; (editors-test-run BUILD-DIR): the compilation messages of real runs are
;; found at the lines they print, and the font-lock faces follow the tokens.

(require 'cl-lib)
(require 'subr-x)
(require 'teaching-languages)

(defvar editors-test-directory (file-name-directory load-file-name)
  "The folder of the tests, which holds the table of hostile names.")
(defvar editors-test-failures 0)
(defvar editors-test-count 0)

(defun editors-test-check (name got want)
  (setq editors-test-count (1+ editors-test-count))
  (unless (equal got want)
    (setq editors-test-failures (1+ editors-test-failures))
    (message "FAIL %s\n  wanted %S\n  got    %S" name want got)))

(defun editors-test-compile (file)
  "Visit FILE and run \\[compile] with the command its mode offers; return the
compilation buffer once the run has ended."
  (with-current-buffer (find-file-noselect file)
    (let* ((inhibit-message t)
           (buffer (compile (eval compile-command)))
           (process (get-buffer-process buffer))
           (deadline (+ (float-time) 10)))
      (while (and (memq process compilation-in-progress) (< (float-time) deadline))
        (accept-process-output process 0.05))
      ;; A run still waiting (for input it was not given) ends here.
      (when (process-live-p process)
        (delete-process process))
      buffer)))

(defun editors-test-compiled (name source input function)
  "Compile SOURCE text in a new file NAME (with INPUT text beside it as its
.in file, when non-nil); call FUNCTION with the file in the compilation buffer."
  (let* ((dir (make-temp-file "editors-emacs-" t))
         (file (expand-file-name name dir)))
    (unwind-protect
        (progn
          (write-region source nil file nil 'silent)
          (when input
            (write-region input nil (concat (file-name-sans-extension file) ".in") nil 'silent))
          (with-current-buffer (editors-test-compile file)
            (funcall function file)))
      (kill-buffer (get-file-buffer file))
      (delete-directory dir t))))

(defun editors-test-errors (mode source)
  "Compile SOURCE text in a file of MODE; list (FILE LINE) of its errors,
FILE t where it is the file compiled."
  (editors-test-compiled
   (alist-get mode '((plimbo-mode . "a.plb") (m4t4-mode . "a.m4t") (vexa-mode . "a.vexa"))) source nil
   (lambda (file)
     (compilation--ensure-parse (point-max))
     (goto-char (point-min))
     (let (errors)
       (condition-case nil
           (while t
             (compilation-next-error 1)
             (let* ((message (get-text-property (point) 'compilation-message))
                    (loc (compilation--message->loc message)))
               (push (list (equal (expand-file-name (caar (compilation--loc->file-struct loc))) file)
                           (compilation--loc->line loc))
                     errors)))
         (error nil))
       (nreverse errors)))))

(defun editors-test-names (table)
  "The paths of the hostile names TABLE (one a line, / begins a comment)."
  (with-temp-buffer
    (let ((coding-system-for-read 'utf-8))
      (insert-file-contents table))
    (seq-remove (lambda (line) (or (string-empty-p line) (string-prefix-p "/" line)))
                (split-string (buffer-string) "\n"))))

(defun editors-test-failing-program (file line)
  "A program for FILE, in the language of its extension, that fails on LINE
(vexa: stops on a malformed token, an error for the whole file)."
  (pcase (file-name-extension file)
    ("plb" (concat "{\n" (make-string (- line 2) ?\n) "VRACEE (\"a\" - 1);\n} ZDECHNI\n"))
    ("m4t" (concat "{\n" (make-string (- line 2) ?\n) "pis(1 - \"x\");\n} .\n"))
    ("vexa" "a & b;\n")))

(defun editors-test-hostile-names (table)
  "Every file of TABLE side by side, each failing on its own line: compile
then next-error visits that file at that line."
  (let ((dir (file-name-as-directory (make-temp-file "editors-emacs-" t)))
        (names (editors-test-names table)))
    (unwind-protect
        (let ((line 1))
          (dolist (name names)
            (setq line (1+ line))
            (make-directory (file-name-directory (expand-file-name name dir)) t)
            (let ((coding-system-for-write 'utf-8))
              (write-region (editors-test-failing-program name line) nil (concat dir name) nil 'silent)))
          (setq line 1)
          (dolist (name names)
            (setq line (1+ line))
            (let* ((file (concat dir name))
                   (vexa (equal (file-name-extension name) "vexa"))
                   (got (condition-case err
                            (cl-letf (((symbol-function 'read-file-name)
                                       (lambda (prompt &rest _) (error "Emacs asked: %s" prompt))))
                             (let ((compilation (editors-test-compile file)))
                              (with-current-buffer (get-file-buffer file)
                                (let ((inhibit-message t)) (next-error 1 t)))
                              (list (buffer-file-name (window-buffer))
                                    (with-current-buffer (window-buffer) (line-number-at-pos))
                                    (with-current-buffer compilation
                                      (and (string-match-p "exited abnormally with code 2" (buffer-string)) t)))))
                          (error (list 'error (error-message-string err))))))
              (editors-test-check (format "compile and next-error on %S" name) got
                                  (list file (if vexa 1 line) vexa)))))
      (dolist (buffer (buffer-list))
        (when (and (buffer-file-name buffer) (string-prefix-p dir (buffer-file-name buffer)))
          (kill-buffer buffer)))
      (delete-directory dir t))))

(defun editors-test-faces (mode text)
  "Fontify TEXT in MODE; the face at each character."
  (with-temp-buffer
    (insert text)
    (funcall mode)
    (font-lock-ensure)
    (mapcar (lambda (i) (get-text-property i 'face)) (number-sequence 1 (1- (point-max))))))

(defun editors-test-run (build)
  ;; As in a UTF-8 locale, whatever the locale of the tests.
  (set-language-environment "UTF-8")
  (setq file-name-coding-system 'utf-8)
  ;; The programs are run through links in a folder whose name the shell
  ;; would expand if it were not quoted.
  (let* ((links (make-temp-file "editors-emacs-" t))
         (programs (expand-file-name "bin ěš 100% #1 $HOME `date` & it's \"q\"" links)))
    (make-directory programs)
    (setq teaching-languages-programs
          (mapcar (lambda (name)
                    (let ((link (expand-file-name (symbol-name name) programs)))
                      (make-symbolic-link (expand-file-name (symbol-name name) build) link)
                      (cons name link)))
                  '(plimbo m4t4 vexa)))
    (unwind-protect (editors-test-all)
      (delete-directory links t)))
  (message "emacs: %d passed, %d failed" (- editors-test-count editors-test-failures) editors-test-failures)
  (kill-emacs (if (zerop editors-test-failures) 0 1)))

(defun editors-test-all ()
  (let ((table (expand-file-name "hostile_names.txt" editors-test-directory)))
    ;; Messages, with the line each prints (a missing ";" is seen on the next line).
    (editors-test-check "plimbo: a message" (editors-test-errors 'plimbo-mode "{\n  VRACEE (1)\n}\nZDECHNI\n") '((t 4)))
    (editors-test-check "plimbo: a type message" (editors-test-errors 'plimbo-mode "{\n\n VRACEE (\"a\" - 1);\n} ZDECHNI\n") '((t 3)))
    (editors-test-check "plimbo: no ZDECHNI" (editors-test-errors 'plimbo-mode "{ VRACEE (1); }\n") '((t nil)))
    (editors-test-check "plimbo: no message" (editors-test-errors 'plimbo-mode "{ NASAJ (5); } ZDECHNI\n") '((t nil)))
    (editors-test-check "plimbo: success" (editors-test-errors 'plimbo-mode "{ VRACEE (1); } ZDECHNI\n") nil)
    (editors-test-check "m4t4: a message" (editors-test-errors 'm4t4-mode "{\n  pis_ln(\"a\")\n}\n.\n") '((t 4)))
    (editors-test-check "m4t4: after output" (editors-test-errors 'm4t4-mode "{ pis(\"a\");\n pis(1 - \"x\"); } .\n") '((t 2)))
    (editors-test-check "m4t4: no ." (editors-test-errors 'm4t4-mode "{ pis(\"a\"); }\n") '((t nil)))
    (editors-test-check "m4t4: success" (editors-test-errors 'm4t4-mode "{ pis_ln(1); } .\n") nil)
    ;; vexa's listing stopped by a malformed token ("12." wants a digit): an
    ;; error for the file, and the status 2 said; a full listing none.
    (editors-test-check "vexa: a malformed token" (editors-test-errors 'vexa-mode "a := 12.;\n") '((t nil)))
    (editors-test-check "vexa: a full listing" (editors-test-errors 'vexa-mode "a := 12.5;\n") nil)
    ;; A program that reads gets the .in file beside it.
    (editors-test-check "plimbo: the input file beside the program"
                        (editors-test-compiled "a b.plb" "{ NASAJ ($a); VRACEE ($a*2); } ZDECHNI\n" "12\n"
                                               (lambda (_) (and (string-match-p "\n24.000000\n\nGame over" (buffer-string)) t)))
                        t)
    (editors-test-hostile-names table)
    ;; Faces: a comment marker in a string, a string in a comment, keywords, names.
    (let ((k 'font-lock-keyword-face) (s 'font-lock-string-face) (c 'font-lock-comment-face)
          (v 'font-lock-variable-name-face) (n 'font-lock-constant-face))
      (editors-test-check "plimbo faces"
                          (editors-test-faces 'plimbo-mode "ESLI $a \"//\" /*\"*/ 3,5")
                          (list k k k k nil v v nil s s s s nil c c c c c nil n n n))
      (editors-test-check "m4t4 faces"
                          (editors-test-faces 'm4t4-mode "w2 @a \"::\" :!\"!: -1")
                          (list k k nil v v nil s s s s nil c c c c c nil n n))
      (editors-test-check "vexa faces"
                          (editors-test-faces 'vexa-mode "$x$ \"[>\" [[\"]] 1.5")
                          (list v v v nil s s s s nil c c c c c nil n n n)))))
